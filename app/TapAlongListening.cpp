#include "app/TapAlongListening.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <array>
#include <cmath>

#include "app/TapAlongFigureLabel.h"
#include "audio/PulseInput.h"
#include "engine/RhythmEngine.h"
#include "tapalong/StrokePlan.h"

namespace {

constexpr std::chrono::milliseconds kMeterInterval{50};
constexpr int kQuietestDb = -60;

// Why listening stopped, in the window's one line.
QString FailureText(const std::string& failure) {
  if (failure == "the default input is what Tocolo plays") {
    return QStringLiteral(
        "The default input is what Tocolo plays, not a microphone: Listen is off.");
  }
  if (failure == "the input went away") {
    return QStringLiteral("The input went away: Listen is off.");
  }
  if (failure == "no sound server" || failure == "the sound server went away") {
    return QStringLiteral("No sound server to listen through: Listen is off.");
  }
  return QStringLiteral("No input to listen to: Listen is off.");
}

// Where Tocolo's own sounds begin in the loop: its strokes as the engine renders them, and,
// with the beat on, its clicks.
std::vector<double> OwnOnsets(const CRhythmEngine& engine) {
  const std::uint32_t frames = engine.LoopLength() / 2;
  std::vector<double> onsets =
      StrokePlan::FromFractions(
          CRhythmEngine::kClaveTable[static_cast<std::size_t>(engine.Pattern())], frames,
          engine.PlayLoops())
          .Strokes();
  if (engine.Beat()) {
    const std::uint32_t beats = CRhythmEngine::BeatsPerLoop(engine.Pattern());
    for (std::uint32_t k = 0; k < beats; ++k)
      onsets.push_back(static_cast<double>(std::uint64_t{frames} * k / beats));
  }
  return onsets;
}

}  // namespace

TapAlongListening::TapAlongListening(std::function<CRhythmEngine*()> engine, QWidget* parent)
    : QWidget(parent),
      engine_(std::move(engine)),
      listen_(new QCheckBox(QStringLiteral("&Listen"), this)),
      input_name_(new TapAlongFigureLabel(QStringLiteral("Input"), this)),
      level_(new QProgressBar(this)),
      hearing_(new TapAlongFigureLabel(QStringLiteral("How Tocolo hears itself"), this)) {
  level_->setAccessibleName(QStringLiteral("Input level"));
  level_->setRange(kQuietestDb, 0);
  level_->setTextVisible(false);
  level_->setFixedWidth(96);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(listen_);
  row->addWidget(input_name_, 2);
  row->addWidget(level_);
  row->addWidget(hearing_, 3);
  connect(listen_, &QCheckBox::toggled, this, [this](bool on) {
    on ? Start() : Stop();
    if (toggled_) toggled_();
  });
  meter_.setInterval(kMeterInterval);
  connect(&meter_, &QTimer::timeout, this, [this] { Show(); });
  Show();
}

TapAlongListening::~TapAlongListening() = default;

QWidget* TapAlongListening::FirstControl() const {
  return listen_;
}

void TapAlongListening::Start() {
  CRhythmEngine* engine = engine_ ? engine_() : nullptr;
  if (engine == nullptr) {
    Stop();
    return;
  }
  failure_.clear();
  listener_ = std::make_unique<StrokeListener>();
  input_ = std::make_unique<PulseInput>(
      kCdMono, engine->SinkName(),
      [listener = listener_.get()](std::span<const std::int16_t> samples, std::uint64_t first) {
        listener->Feed(samples, first);
      },
      [this] {
        QMetaObject::invokeMethod(
            this, [this] { OnEnded(); }, Qt::QueuedConnection);
      });
  followedStart_ = 0;
  meter_.start();
  Follow();
  Show();
}

void TapAlongListening::Stop() {
  // The recording's thread ends before the listener it feeds.
  input_.reset();
  listener_.reset();
  meter_.stop();
  const QSignalBlocker quiet(listen_);
  listen_->setChecked(false);
  Show();
}

void TapAlongListening::OnEnded() {
  if (!input_ || input_->GetState() != PulseInput::State::kEnded) return;
  failure_ = FailureText(input_->Failure());
  Stop();
}

bool TapAlongListening::Loudspeakers() const {
  return listener_ && listener_->HowHeard() == Hearing::kLoudspeakers;
}

void TapAlongListening::Follow() {
  CRhythmEngine* engine = engine_ ? engine_() : nullptr;
  if (!listener_ || engine == nullptr) return;
  ListeningTimeline timeline;
  timeline.output = engine->HeardClock();
  timeline.input = input_->Clock();
  if (timeline.output && timeline.output->start != followedStart_) {
    const auto played = engine->LoopBuffer().first(engine->LoopLength() / 2);
    loop_ = std::make_shared<const std::vector<std::int16_t>>(played.begin(), played.end());
    ownOnsets_ = std::make_shared<const std::vector<double>>(OwnOnsets(*engine));
    followedStart_ = timeline.output->start;
  }
  timeline.loop = loop_;
  timeline.loops = engine->PlayLoops();
  timeline.silentCycle = engine->SilentCycle();
  timeline.ownOnsets = ownOnsets_;
  listener_->SetTimeline(std::move(timeline));
}

std::vector<TapAlongListening::Heard> TapAlongListening::TakeStrokes() {
  std::vector<Heard> heard;
  if (!listener_) return heard;
  std::array<HeardStroke, 64> strokes;
  const bool adjustable = listener_->HowHeard() == Hearing::kHeadphones;
  for (std::size_t n; (n = listener_->TakeStrokes(strokes)) > 0;) {
    for (std::size_t i = 0; i < n; ++i) {
      heard.push_back({strokes[i].frame, strokes[i].start, adjustable, strokes[i].captured});
    }
  }
  return heard;
}

QString TapAlongListening::HowHeardText() const {
  if (!listener_) return {};
  switch (listener_->HowHeard()) {
    case Hearing::kLoudspeakers:
      return QStringLiteral("heard through loudspeakers, round trip %1 ms")
          .arg(*listener_->RoundTripMs(), 0, 'f', 1);
    case Hearing::kHeadphones:
      return QStringLiteral("heard with headphones");
    case Hearing::kUnknown:
      break;
  }
  return {};
}

void TapAlongListening::Show() {
  if (!input_) {
    input_name_->SetFigures(failure_);
    level_->setVisible(false);
    hearing_->SetFigures(QString());
    return;
  }
  level_->setVisible(true);
  if (input_->GetState() != PulseInput::State::kRecording) {
    input_name_->SetFigures(QStringLiteral("Opening the input..."));
    return;
  }
  input_name_->SetFigures(
      QStringLiteral("Listening to %1").arg(QString::fromStdString(input_->InputName())));
  const float peak = listener_->TakePeak();
  level_->setValue(peak > 0 ? std::max(kQuietestDb, static_cast<int>(20 * std::log10(peak)))
                            : kQuietestDb);
  switch (listener_->HowHeard()) {
    case Hearing::kUnknown:
      hearing_->SetFigures(
          QStringLiteral("Listening for Tocolo's own sound while the loop plays..."));
      break;
    case Hearing::kLoudspeakers:
      hearing_->SetFigures(
          QStringLiteral("Through loudspeakers: Tocolo hears itself %1 ms late (the round trip); "
                         "strokes on top of its own are not scored.")
              .arg(*listener_->RoundTripMs(), 0, 'f', 1));
      break;
    case Hearing::kHeadphones:
      hearing_->SetFigures(QStringLiteral(
          "With headphones: Tocolo does not hear itself, so the adjustment applies."));
      break;
  }
}
