// The loop's end on the program that plays eight loops to a start, stopped for a while near
// the end (SIGSTOP) as a busy desktop stops a program. A stall that what the server holds
// covers costs nothing: the last repetition is heard whole, then silence. A longer one may cut
// the sound, and is counted. Either way, within a second of the program running again its
// stream is corked and the window shows stopped: one Space plays from the first sample.
#include <algorithm>
#include <thread>

#include "desktop/DesktopTest.h"

namespace desktop {
namespace {

// 6/8 with Claves at 300: 1.2 s a loop, 9.6 s for the eight.
constexpr Setting kFast{CRhythmEngine::kPatternSixEight, CRhythmEngine::kToneClaves, 300};
constexpr std::size_t kLoops = 8;

class LoopEnd : public DesktopTest {
 protected:
  explicit LoopEnd(std::chrono::milliseconds recorderLatency = 5ms)
      : DesktopTest(44100, recorderLatency, TOCOLO_EIGHT_LOOPS_PROGRAM) {}

  void SetUp() override {
    DesktopTest::SetUp();
    if (HasFatalFailure()) return;
    session.Key("End");  // the slider has the focus at start
    session.Click(kSixEightButton.x, kSixEightButton.y);
    std::this_thread::sleep_for(300ms);
  }

  struct Round {
    std::chrono::milliseconds before;  // the stall began this long before the end
    std::chrono::milliseconds stall;
    bool covered;  // by what the server holds
    Clock::time_point pressed, again;
  };

  // Space, the stall, then a second after it: the stream must be corked; one Space must play
  // again, and a second one stops.
  void Play(std::chrono::milliseconds before, std::chrono::milliseconds stall, bool covered) {
    Round round{before, stall, covered, session.Key("space"), {}};
    const auto eight =
        std::chrono::duration_cast<std::chrono::milliseconds>(LoopDuration(kFast) * kLoops);
    ProcessStaller staller(session.ProgramPid(), ProcessStaller::Once{eight - before, stall});
    while (!staller.Done()) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(1s);
    const std::vector<pactl::PlaybackStream> streams =
        pactl::PlaybackStreamsOf(session.ProgramPid());
    EXPECT_TRUE(!streams.empty() &&
                std::all_of(streams.begin(), streams.end(), [](const auto& s) { return s.corked; }))
        << "stalled " << before.count() << " ms before the end for " << stall.count()
        << " ms: the stream still flows a second after";
    round.again = session.Key("space");
    std::this_thread::sleep_for(LoopDuration(kFast) + 400ms);
    session.Key("space");
    std::this_thread::sleep_for(300ms);
    rounds_.push_back(round);
  }

  // What each round was heard as. A covered stall loses nothing: eight exact loops, then
  // silence up to the next Space, which plays the loop from its first sample.
  void ExpectRounds() {
    recorder.Finish();
    const Sound loop = LoopFor(kFast.pattern, kFast.tone, kFast.tempo);
    const Sound& rec = recorder.samples();
    for (const Round& round : rounds_) {
      SCOPED_TRACE(testing::Message() << "stalled " << round.before.count()
                                      << " ms before the end for " << round.stall.count() << " ms");
      const std::size_t again = IndexAt(round.again);
      if (round.covered) {
        const std::optional<std::size_t> start = FindLoopStart(rec, loop, IndexAt(round.pressed));
        ASSERT_TRUE(start) << "no whole loop played";
        const LoopComparison same = CompareWithLoop(rec, loop, *start, kLoops * loop.size());
        EXPECT_EQ(same.mismatches, 0u)
            << "loop " << same.firstMismatch / loop.size() << " differs from sample "
            << same.firstMismatch % loop.size();
        const std::size_t end = *start + kLoops * loop.size();
        ASSERT_LT(end, again) << "the loop ran on past the end";
        const LoopComparison after = CompareWithLoop(rec, Sound(1, 0), end, again - end);
        EXPECT_EQ(after.mismatches, 0u) << "sound after the eighth loop";
      }
      const std::optional<std::size_t> restart = FindLoopStart(rec, loop, again);
      ASSERT_TRUE(restart) << "one Space after the end did not play the loop";
      EXPECT_LT(*restart - again, 22050u) << "it began " << (*restart - again) / 44.1 << " ms late";
    }
  }

  std::vector<Round> rounds_;
};

// What a stall inside the queue is: it covers at least 300 ms of the loop at any moment, so a
// shorter stall, or any stall that begins once the rest of the loop is all queued, costs
// nothing.
TEST_F(LoopEnd, StallsNearTheEndOnPulseAudioCostNothingOrAreCountedAndTheWindowFollows) {
  Play(450ms, 250ms, true);
  Play(100ms, 600ms, true);
  Play(700ms, 1200ms, false);  // runs the queue dry: the sound is cut, and counted
  underrunsExpected = Underruns();
  EXPECT_GE(underrunsExpected, 1u);
  ExpectRounds();
}

// The same through pipewire-pulse, its graph at 44.1 kHz so that nothing is resampled. The
// recorder asks for 50 ms, like the program (see PipeWireTest.cpp).
class PipeWireLoopEnd : protected PipeWireServer, public LoopEnd {
 protected:
  PipeWireLoopEnd() : PipeWireServer(44100), LoopEnd(50ms) {}
  void SetUp() override {
    ASSERT_TRUE(started_) << "PipeWire did not start";
    LoopEnd::SetUp();
  }
};

TEST_F(PipeWireLoopEnd, StallsNearTheEndCostNothingOrAreCountedAndTheWindowFollows) {
  Play(450ms, 250ms, true);
  Play(100ms, 600ms, true);
  Play(700ms, 1200ms, false);
  underrunsExpected = Underruns();
  EXPECT_GE(underrunsExpected, 1u);
  ExpectRounds();
}

}  // namespace
}  // namespace desktop
