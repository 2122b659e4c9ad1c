#include "desktop/DesktopTest.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace desktop {

std::string Describe(const Setting& s) {
  static const char* const patterns[] = {"2-3", "3-2 (rumba)", "6/8"};
  static const char* const tones[] = {"Claves", "Hand Clap", "Cowbell"};
  return std::string(patterns[s.pattern]) + ", " + tones[s.tone] + " at " + std::to_string(s.tempo);
}

std::chrono::duration<double> LoopDuration(const Setting& setting) {
  return std::chrono::duration<double>(
      StrokeGrid::Of(setting.pattern, setting.tempo).LoopSamples() / 44100.0);
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void ExpectOnGrid(const std::vector<std::size_t>& onsets, const Setting& setting, std::size_t loops,
                  unsigned rate, double tolerance) {
  if (onsets.empty()) {
    ADD_FAILURE() << "no stroke found";
    return;
  }
  const StrokeGrid grid = StrokeGrid::Of(setting.pattern, setting.tempo, rate);
  const double firstBeat = grid.beats.front() * grid.samplesPerBeat;
  const GridComparison fit = CompareWithGrid(
      onsets, grid.Positions(static_cast<double>(onsets.front()) - firstBeat, loops));
  EXPECT_EQ(fit.missing, 0u);
  EXPECT_EQ(fit.extra, 0u);
  const std::size_t strokes = grid.beats.size();
  for (std::size_t i = 0; i < fit.errors.size(); ++i)
    EXPECT_LE(std::abs(fit.errors[i]), tolerance)
        << "stroke " << i % strokes << " of loop " << i / strokes;
  if (fit.errors.size() != loops * strokes) return;
  auto loopMean = [&](std::size_t k) {
    double sum = 0;
    for (std::size_t j = 0; j < strokes; ++j) sum += fit.errors[k * strokes + j];
    return sum / static_cast<double>(strokes);
  };
  EXPECT_LT(std::abs(loopMean(loops - 1) - loopMean(0)), tolerance / 2) << "the grid drifts";
}

namespace {

bool PipeWireScript(const std::string& arguments) {
  return std::system((std::string(TOCOLO_PIPEWIRE_SCRIPT) + " " + arguments).c_str()) == 0;
}

}  // namespace

PipeWireServer::PipeWireServer(unsigned rate) {
  const char* previous = std::getenv("PULSE_SERVER");
  if (previous != nullptr) previousServer_ = previous;
  const std::string dir = TOCOLO_PIPEWIRE_DIR;
  started_ = PipeWireScript("start " + dir + " " + std::to_string(rate));
  setenv("PULSE_SERVER", ("unix:" + dir + "/runtime/pulse/native").c_str(), 1);
}

PipeWireServer::~PipeWireServer() {
  PipeWireScript(std::string("stop ") + TOCOLO_PIPEWIRE_DIR);
  setenv("PULSE_SERVER", previousServer_.c_str(), 1);
}

void DesktopTest::SetUp() {
  ASSERT_TRUE(session.Ready()) << session.Failure();
  ASSERT_TRUE(recorder.Started()) << "parec did not start";
  ASSERT_TRUE(recorder.WaitForSamples(4410, 5s)) << "the sink's monitor records nothing";
}

void DesktopTest::TearDown() {
  staller.reset();
  if (session.Ready() && session.ProgramRunning()) {
    EXPECT_EQ(pactl::UnderrunsOf(session.ProgramPid()),
              std::vector<std::uint64_t>{underrunsExpected})
        << "the program's stream ran dry (or published no count)";
  }
}

void DesktopTest::StallTheProgram() {
  staller.emplace(session.ProgramPid(), 30ms, 200ms);
}

std::optional<std::size_t> DesktopTest::ExpectLoopPlays(const Sound& rec, const Setting& setting,
                                                        std::size_t from, std::size_t loops) {
  SCOPED_TRACE(Describe(setting));
  const Sound loop = LoopFor(setting.pattern, setting.tone, setting.tempo);
  const std::optional<std::size_t> start = FindLoopStart(rec, loop, from);
  if (!start) {
    ADD_FAILURE() << "no whole loop played after sample " << from;
    return start;
  }
  const LoopComparison same = CompareWithLoop(rec, loop, *start, loops * loop.size());
  EXPECT_EQ(same.compared, loops * loop.size()) << "the recording ends early";
  EXPECT_EQ(same.mismatches, 0u) << "first at sample " << same.firstMismatch % loop.size()
                                 << " of loop " << same.firstMismatch / loop.size();
  // With room for the attack of the stroke that opens the next loop, so it is not missed.
  const std::size_t attack =
      std::min(OnsetFinder::kAttackLength, rec.size() - *start - same.compared);
  const auto played = std::span(rec).subspan(*start, same.compared + attack);
  const std::vector<std::size_t> onsets = OnsetFinder(ToneSamples(setting.tone)).Find(played);
  const StrokeGrid grid = StrokeGrid::Of(setting.pattern, setting.tempo);
  if (!onsets.empty()) {
    EXPECT_NEAR(static_cast<double>(onsets.front()), grid.beats.front() * grid.samplesPerBeat, 2)
        << "the first stroke is off the loop's grid";
  }
  ExpectOnGrid(onsets, setting, loops);
  return start;
}

}  // namespace desktop
