// The built program on its own X server, driven with xdotool as a user would drive it, its
// sound recorded from the suite's PulseAudio null sink (bit-exact, no resampling). Strokes
// are checked twice over: against the ideal beat grid, which owes nothing to the program's
// arithmetic, and sample for sample against the loop the engine renders for the setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <thread>

#include "support/EngineFixture.h"
#include "tools/measure/DesktopSession.h"
#include "tools/measure/LoopMatch.h"
#include "tools/measure/OnsetFinder.h"
#include "tools/measure/ParecRecorder.h"
#include "tools/measure/RecordingTime.h"
#include "tools/measure/StrokeGrid.h"

namespace {

using namespace std::chrono_literals;
using Sound = std::vector<std::int16_t>;
using Clock = DesktopSession::Clock;

enum Pattern { kTwoThree, kRumba, kSixEight };
enum Tone { kClaves, kHandClap, kCowbell };

// Points inside the radio buttons' indicators, in dialog units.
struct Point {
  int x;
  int y;
};
constexpr Point kRumbaButton{20, 45};
constexpr Point kSixEightButton{20, 63};
constexpr Point kCowbellButton{89, 63};

struct Setting {
  int pattern;
  int tone;
  unsigned tempo;
};

std::string Describe(const Setting& s) {
  static const char* const patterns[] = {"2-3", "3-2 (rumba)", "6/8"};
  static const char* const tones[] = {"Claves", "Hand Clap", "Cowbell"};
  return std::string(patterns[s.pattern]) + ", " + tones[s.tone] + " at " + std::to_string(s.tempo);
}

// The loop as the engine renders it for `setting`, on a device nobody plays.
Sound ReferenceLoop(const Setting& setting) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride use(&device);
  CRhythmEngine engine;
  engine.SetPattern(setting.pattern);
  engine.SetTone(setting.tone);
  engine.SetTempo(setting.tempo);
  const auto loop = engine.LoopBuffer().first(engine.LoopLength() / 2);
  return {loop.begin(), loop.end()};
}

std::chrono::duration<double> LoopDuration(const Setting& setting) {
  return std::chrono::duration<double>(
      StrokeGrid::Of(setting.pattern, setting.tempo).LoopSamples() / 44100.0);
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Checks onsets counted from a loop's first sample against the ideal grid of `loops` loops,
// measured from the first stroke: each within 2 samples, the error not growing.
void ExpectOnGrid(const std::vector<std::size_t>& onsets, const Setting& setting,
                  std::size_t loops) {
  if (onsets.empty()) {
    ADD_FAILURE() << "no stroke found";
    return;
  }
  const StrokeGrid grid = StrokeGrid::Of(setting.pattern, setting.tempo);
  const double firstBeat = grid.beats.front() * grid.samplesPerBeat;
  EXPECT_NEAR(static_cast<double>(onsets.front()), firstBeat, 2)
      << "the first stroke is off the loop's grid";
  const GridComparison fit = CompareWithGrid(
      onsets, grid.Positions(static_cast<double>(onsets.front()) - firstBeat, loops));
  EXPECT_EQ(fit.missing, 0u);
  EXPECT_EQ(fit.extra, 0u);
  const std::size_t strokes = grid.beats.size();
  for (std::size_t i = 0; i < fit.errors.size(); ++i)
    EXPECT_LE(std::abs(fit.errors[i]), 2.0)
        << "stroke " << i % strokes << " of loop " << i / strokes;
  if (fit.errors.size() != loops * strokes) return;
  auto loopMean = [&](std::size_t k) {
    double sum = 0;
    for (std::size_t j = 0; j < strokes; ++j) sum += fit.errors[k * strokes + j];
    return sum / static_cast<double>(strokes);
  };
  EXPECT_LT(std::abs(loopMean(loops - 1) - loopMean(0)), 1.0) << "the grid drifts";
}

class DesktopTiming : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session.Ready()) << session.Failure();
    ASSERT_TRUE(recorder.Started()) << "parec did not start";
    ASSERT_TRUE(recorder.WaitForSamples(4410, 5s)) << "the sink's monitor records nothing";
  }

  std::size_t IndexAt(Clock::time_point t) const { return FirstSampleArrivingAfter(recorder, t); }

  // Checks that from `from` on the loop for `setting` plays from its first sample, `loops`
  // whole loops of it sample for sample and on the ideal grid. Returns where it started.
  std::optional<std::size_t> ExpectLoopPlays(const Setting& setting, std::size_t from,
                                             std::size_t loops) {
    SCOPED_TRACE(Describe(setting));
    const Sound& rec = recorder.samples();
    const Sound loop = ReferenceLoop(setting);
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
    ExpectOnGrid(OnsetFinder(ToneSamples(setting.tone)).Find(played), setting, loops);
    return start;
  }

  DesktopSession session{TOCOLO_PROGRAM};
  ParecRecorder recorder{"tocolo.monitor"};
};

TEST_F(DesktopTiming, TenLoopsAtTheDefaultsKeepTheGridAndEverySample) {
  constexpr Setting kDefaults{kTwoThree, kClaves, 200};
  constexpr std::size_t kLoops = 10;
  const auto pressed = session.Key("space");
  std::this_thread::sleep_for(LoopDuration(kDefaults) * (kLoops + 0.5) + 300ms);
  session.Key("space");
  std::this_thread::sleep_for(200ms);
  recorder.Finish();
  ExpectLoopPlays(kDefaults, IndexAt(pressed), kLoops);
}

TEST_F(DesktopTiming, EachChangeWhilePlayingRestartsTheNewLoopFromItsFirstSample) {
  constexpr std::size_t kLoops = 2;
  session.Key("space");
  std::this_thread::sleep_for(1.5s);  // into the first loop, so the change cuts it short
  struct Change {
    Setting setting;
    Clock::time_point sent;
  };
  std::vector<Change> changes;
  auto playFor = [&](const Setting& setting, Clock::time_point sent) {
    changes.push_back({setting, sent});
    std::this_thread::sleep_for(LoopDuration(setting) * kLoops + 500ms);
  };
  // Focus is on STOP: Tab past Bye and About.. to the slider, one step right is 2 bpm more.
  playFor({kTwoThree, kClaves, 202}, session.Key("Tab Tab Tab Right"));
  playFor({kRumba, kClaves, 202}, session.Click(kRumbaButton.x, kRumbaButton.y));
  playFor({kRumba, kCowbell, 202}, session.Click(kCowbellButton.x, kCowbellButton.y));
  playFor({kSixEight, kCowbell, 202}, session.Click(kSixEightButton.x, kSixEightButton.y));
  session.Key("space");
  std::this_thread::sleep_for(200ms);
  recorder.Finish();

  for (const Change& change : changes) {
    const std::size_t sent = IndexAt(change.sent);
    const std::optional<std::size_t> start = ExpectLoopPlays(change.setting, sent, kLoops);
    if (!start) continue;
    // A loop that ran on to its end before restarting would start up to a loop later.
    EXPECT_LT(*start - sent, 22050u) << Describe(change.setting) << " began "
                                     << (*start - sent) / 44.1 << " ms after the change";
  }
}

TEST_F(DesktopTiming, SpaceSilencesTheSinkWithin50Ms) {
  // Cowbell in the rumba pattern rings without a gap, so the sound lasts until it is stopped.
  session.Click(kRumbaButton.x, kRumbaButton.y);
  session.Click(kCowbellButton.x, kCowbellButton.y);
  std::vector<Clock::time_point> starts;
  std::vector<Clock::time_point> stops;
  for (int i = 0; i < 3; ++i) {
    starts.push_back(session.Key("space"));
    std::this_thread::sleep_for(800ms + 37ms * i);  // at a different point of a device period
    stops.push_back(session.Key("space"));
    std::this_thread::sleep_for(400ms);
  }
  recorder.Finish();
  const Sound& rec = recorder.samples();
  for (std::size_t i = 0; i < stops.size(); ++i) {
    SCOPED_TRACE("stop " + std::to_string(i + 1));
    const std::size_t sent = IndexAt(stops[i]);
    const std::size_t next = i + 1 < starts.size() ? IndexAt(starts[i + 1]) : rec.size();
    ASSERT_GT(sent, 2048u);
    const auto sounding = [](std::int16_t s) { return s != 0; };
    ASSERT_TRUE(std::any_of(rec.begin() + static_cast<std::ptrdiff_t>(sent - 2048),
                            rec.begin() + static_cast<std::ptrdiff_t>(sent), sounding))
        << "not sounding when Space was pressed";
    std::size_t lastSound = next;
    while (lastSound > sent && rec[lastSound - 1] == 0) --lastSound;
    const double ms = Milliseconds(recorder.ArrivalOf(lastSound - 1) - stops[i]);
    std::printf("stop %zu: silent %.1f ms after Space\n", i + 1, ms);
    EXPECT_LE(ms, 50.0);
  }
}

}  // namespace
