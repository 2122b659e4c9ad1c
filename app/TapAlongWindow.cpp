#include "app/TapAlongWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "app/TapAlongFigureLabel.h"
#include "app/TapAlongListening.h"
#include "app/TapAlongLoopPicture.h"
#include "app/TapAlongPad.h"
#include "app/TapAlongTakePicture.h"
#include "engine/RhythmEngine.h"
#include "tapalong/Calibration.h"
#include "tapalong/FiguresText.h"
#include "tapalong/TakeText.h"

namespace {

using Clock = TapAlongSession::Clock;
constexpr std::chrono::milliseconds kRefreshInterval{100};

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TapAlongWindow::TapAlongWindow(TapAlongHost host, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      host_(std::move(host)),
      status_(new QLabel(this)),
      listening_(new TapAlongListening([this] { return Engine(); }, this)),
      pad_(new TapAlongPad(this)),
      loopPicture_(new TapAlongLoopPicture(this)),
      takePicture_(new TapAlongTakePicture(this)),
      summary_(new TapAlongFigureLabel(QStringLiteral("Timing summary"), this)),
      split_(new TapAlongFigureLabel(QStringLiteral("Sounding and silent loops"), this)),
      taps_(new QListWidget(this)),
      adjustment_(new QSpinBox(this)),
      calibrate_(new QPushButton(QStringLiteral("&Calibrate"), this)),
      reset_(new QPushButton(QStringLiteral("&Reset"), this)),
      copy_(new QPushButton(QStringLiteral("C&opy"), this)) {
  setWindowTitle(QStringLiteral("Tap along"));
  status_->setObjectName(QStringLiteral("status"));
  status_->setWordWrap(true);
  status_->setTextFormat(Qt::PlainText);
  const auto take = [this] { return session_.CurrentTake(); };
  loopPicture_->SetTake(take);
  takePicture_->SetTake(take);
  pad_->SetOnTap([this](Clock::time_point time, TapSource source) { OnTap(time, source); });
  // Listen chosen by its mnemonic would keep the keys from the pad.
  listening_->SetOnToggled([this] { pad_->setFocus(Qt::OtherFocusReason); });
  taps_->setAccessibleName(QStringLiteral("Taps"));
  taps_->setUniformItemSizes(true);

  auto* figures = new QVBoxLayout;
  figures->addWidget(summary_);
  figures->addWidget(split_);
  for (std::size_t i = 0; i < strokes_.size(); ++i) {
    strokes_[i] = new TapAlongFigureLabel(QStringLiteral("Stroke %1").arg(i + 1), this);
    figures->addWidget(strokes_[i]);
  }
  figures->addStretch();
  auto* lists = new QHBoxLayout;
  lists->addLayout(figures, 5);
  lists->addWidget(taps_, 4);

  auto* adjustmentLabel = new QLabel(QStringLiteral("A&djustment:"), this);
  adjustmentLabel->setBuddy(adjustment_);
  adjustment_->setRange(-kMaxAdjustmentMs, kMaxAdjustmentMs);
  adjustment_->setSuffix(QStringLiteral(" ms"));
  connect(adjustment_, &QSpinBox::valueChanged, this, [this](int ms) {
    session_.SetAdjustmentMs(ms);
    ShowState();
  });
  connect(calibrate_, &QPushButton::clicked, this, [this] { OnCalibrate(); });
  connect(reset_, &QPushButton::clicked, this, [this] { OnReset(); });
  connect(copy_, &QPushButton::clicked, this, [this] { OnCopy(); });
  for (QPushButton* button : {calibrate_, reset_, copy_}) button->setAutoDefault(false);
  auto* controls = new QHBoxLayout;
  controls->addWidget(adjustmentLabel);
  controls->addWidget(adjustment_);
  controls->addStretch();
  controls->addWidget(calibrate_);
  controls->addWidget(reset_);
  controls->addWidget(copy_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(pad_);
  layout->addWidget(listening_);
  layout->addWidget(loopPicture_);
  layout->addWidget(takePicture_);
  layout->addLayout(lists, 1);
  layout->addLayout(controls);
  setTabOrder(pad_, listening_->FirstControl());
  setTabOrder(listening_->FirstControl(), taps_);
  setTabOrder(taps_, adjustment_);
  setTabOrder(adjustment_, calibrate_);
  setTabOrder(calibrate_, reset_);
  setTabOrder(reset_, copy_);
  resize(660, 540);

  refresh_.setInterval(kRefreshInterval);
  connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });
  qApp->installEventFilter(this);
  ShowState();
}

TapAlongWindow::~TapAlongWindow() {
  if (CRhythmEngine* engine = Engine()) engine->SetClockWanted(false);
}

LoopSettings TapAlongWindow::SettingsOf(const CRhythmEngine& engine) const {
  return {engine.Pattern(), engine.LoopLength() / 2, engine.PlayLoops(), engine.SilentCycle(),
          listening_->Loudspeakers()};
}

CRhythmEngine* TapAlongWindow::Engine() const {
  return host_.engine ? host_.engine() : nullptr;
}

void TapAlongWindow::Detach() {
  host_ = {};
  refresh_.stop();
}

void TapAlongWindow::Open() {
  if (!placed_ && parentWidget() != nullptr) {
    // Beside the main window, on its screen.
    const QRect owner = parentWidget()->window()->frameGeometry();
    QRect wanted(owner.topRight() + QPoint(8, 0), frameGeometry().size());
    if (const QScreen* screen = parentWidget()->screen()) {
      const QRect room = screen->availableGeometry();
      wanted.moveRight(std::min(wanted.right(), room.right()));
      wanted.moveBottom(std::min(wanted.bottom(), room.bottom()));
      wanted.moveTopLeft(
          QPoint(std::max(wanted.left(), room.left()), std::max(wanted.top(), room.top())));
    }
    move(wanted.topLeft());
    placed_ = true;
  }
  show();
  raise();
  pad_->setFocus(Qt::OtherFocusReason);
  // After the window menu that chose this has closed and given the focus back to where it
  // came from.
  QTimer::singleShot(0, this, [this] {
    activateWindow();
    pad_->setFocus(Qt::OtherFocusReason);
  });
}

void TapAlongWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  listening_->Stop();  // Listen is off whenever the window opens
  if (CRhythmEngine* engine = Engine()) engine->SetClockWanted(true);
  LoopStateChanged();
}

// No taps can come while hidden: the take rests, and nothing runs for the window.
void TapAlongWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A calibration outlasts the window being minimised, not its closing.
  if (!event->spontaneous() && session_.Calibrating()) EndCalibration(std::nullopt);
  session_.Rest(Clock::now());
  refresh_.stop();
  listening_->Stop();
  if (CRhythmEngine* engine = Engine()) engine->SetClockWanted(false);
  ShowState();
}

bool TapAlongWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return false;
  const auto& key = static_cast<const QKeyEvent&>(*event);
  if ((key.modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) != 0)
    return false;
  if (key.key() == Qt::Key_Space) {
    // As everywhere in Tocolo, and never a button's press; held down, it toggles once.
    if (!key.isAutoRepeat() && host_.toggleLoop) host_.toggleLoop();
    return true;
  }
  if (key.key() == Qt::Key_Escape) {
    if (session_.Calibrating()) {
      EndCalibration(std::nullopt);
      ShowState();
    } else {
      close();
    }
    return true;
  }
  return false;
}

void TapAlongWindow::LoopStateChanged() {
  CRhythmEngine* engine = Engine();
  const bool playing = engine != nullptr && engine->IsPlaying();
  if (playing && isVisible()) {
    if (!refresh_.isActive()) refresh_.start();
    Refresh();
    return;
  }
  refresh_.stop();
  if (!playing) session_.Rest(Clock::now());
  ShowState();
}

void TapAlongWindow::Refresh() {
  CRhythmEngine* engine = Engine();
  if (engine == nullptr || !engine->IsPlaying()) {
    LoopStateChanged();
    return;
  }
  const std::optional<LoopClock> clock = engine->HeardClock();
  const LoopSettings settings = SettingsOf(*engine);
  session_.Refresh(clock, settings, Clock::now());
  HearStrokes(clock, settings);
  ShowState();
}

void TapAlongWindow::HearStrokes(const std::optional<LoopClock>& clock,
                                 const LoopSettings& settings) {
  listening_->Follow();
  for (const TapAlongListening::Heard& heard : listening_->TakeStrokes()) {
    const bool aTap = std::any_of(
        recentTaps_.begin(),
        recentTaps_.begin() + static_cast<std::ptrdiff_t>(std::min(tapCount_, recentTaps_.size())),
        [&](Clock::time_point tap) {
          return heard.captured - tap < kTapClick && tap - heard.captured < kTapClick;
        });
    if (aTap) continue;
    session_.AddHeardTap(heard.frame, heard.start, heard.adjustable, clock, settings, Clock::now());
  }
}

void TapAlongWindow::OnTap(Clock::time_point time, TapSource source) {
  CRhythmEngine* engine = Engine();
  if (engine == nullptr || !engine->IsPlaying()) return;
  recentTaps_[tapCount_++ % recentTaps_.size()] = time;
  session_.AddTap(time, source, engine->HeardClock(), SettingsOf(*engine), Clock::now());
  if (auto result = session_.TakeCalibrationResult()) EndCalibration(result);
  ShowState();
}

// The beat is heard while calibrating: on through the main dialog, and the loop playing.
void TapAlongWindow::OnCalibrate() {
  CRhythmEngine* engine = Engine();
  if (session_.Calibrating()) {
    EndCalibration(std::nullopt);
  } else if (engine != nullptr) {
    note_.clear();
    beatBeforeCalibration_ = engine->Beat();
    session_.StartCalibration(Clock::now());
    if (!engine->Beat()) host_.setBeat(true);
    if (!engine->IsPlaying()) host_.toggleLoop();
  }
  pad_->setFocus(Qt::OtherFocusReason);
  ShowState();
}

void TapAlongWindow::EndCalibration(
    const std::optional<TapAlongSession::CalibrationResult>& result) {
  session_.CancelCalibration();
  CRhythmEngine* engine = Engine();
  if (engine != nullptr && engine->Beat() != beatBeforeCalibration_) {
    host_.setBeat(beatBeforeCalibration_);
  }
  if (!result) return;
  if (!result->adjustmentMs) {
    note_ =
        QStringLiteral("Calibration needs %1 of the %2 taps near a beat, and %3 were: try again.")
            .arg(kCalibrationMinimumTaps)
            .arg(TapAlongSession::kCalibrationTaps)
            .arg(result->hits);
    return;
  }
  const auto ms = static_cast<int>(std::clamp(std::lround(*result->adjustmentMs),
                                              -long{kMaxAdjustmentMs}, long{kMaxAdjustmentMs}));
  adjustment_->setValue(ms);
  note_ = QStringLiteral(
              "Adjustment set to %1 ms from %2 taps on the beat: it includes your own habit "
              "of playing early or late.")
              .arg(QString::asprintf("%+d", ms))
              .arg(result->hits);
}

void TapAlongWindow::OnReset() {
  session_.Reset();
  note_.clear();
  ShowState();
}

void TapAlongWindow::OnCopy() {
  if (const Take* take = session_.CurrentTake()) {
    // While listening, how the microphone's taps were placed comes first.
    const QString heard = listening_->HowHeardText();
    QGuiApplication::clipboard()->setText((heard.isEmpty() ? QString() : heard + '\n') +
                                          Text(TakeText(*take)));
  }
}

QString TapAlongWindow::StatusText(bool playing) const {
  if (session_.Untimeable()) {
    return QStringLiteral(
        "This output does not say when its sound is heard, so taps cannot be timed.");
  }
  if (session_.Calibrating()) {
    return QStringLiteral(
               "Calibrating: tap along with the beat, %1 taps (%2 so far). Calibrate again or "
               "Esc cancels.")
        .arg(TapAlongSession::kCalibrationTaps)
        .arg(session_.CalibrationTapCount());
  }
  if (!note_.isEmpty()) return note_;
  return playing
             ? QStringLiteral("Tap along with the loop: how early or late each tap is shows below.")
             : QStringLiteral("Space starts the loop; then tap along on the pad.");
}

void TapAlongWindow::ShowState() {
  const CRhythmEngine* engine = Engine();
  const bool playing = engine != nullptr && engine->IsPlaying();
  status_->setText(StatusText(playing));
  pad_->SetPrompt(playing ? QStringLiteral("Tap here: any key, or the left mouse button")
                          : QStringLiteral("Space starts the loop"));
  ShowTake();
}

void TapAlongWindow::ShowTake() {
  const Take* take = session_.CurrentTake();
  reset_->setEnabled(take != nullptr);
  copy_->setEnabled(take != nullptr);
  const TakeFigures figures = take != nullptr ? take->Figures() : TakeFigures{};
  summary_->SetFigures(take != nullptr ? Text(SummaryText(figures))
                                       : QStringLiteral("no take yet"));
  split_->SetFigures(take != nullptr ? Text(SplitText(figures)) : QString());
  for (std::size_t i = 0; i < strokes_.size(); ++i) {
    strokes_[i]->setVisible(i < figures.strokes.size());
    strokes_[i]->SetFigures(Text(StrokeText(figures, i)));
  }

  const std::size_t count = take != nullptr ? take->Taps().size() : 0;
  if (session_.Revision() != shownRevision_ || count < listed_) {
    taps_->clear();
    listed_ = 0;
    shownRevision_ = session_.Revision();
  } else if (count == listed_) {
    return;
  }
  for (; listed_ < count; ++listed_) {
    taps_->addItem(Text(TapText(take->Taps()[listed_], listed_ + 1)));
  }
  taps_->scrollToBottom();
  loopPicture_->update();
  takePicture_->update();
}
