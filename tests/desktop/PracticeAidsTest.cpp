// The practice aids of the window menu, heard from the sound server's null sink, on the test
// program that plays eight loops to a start (EightLoopsProgram.cpp): sounding loops exact, silent
// loops all zeros, the grid unbroken across each, the beat's click mixed in as the test computes it
// from the embedded sounds. When the eight have played, one Space must start the loop again:
// the window has followed the output to its end.
#include <thread>

#include "desktop/DesktopTest.h"

namespace desktop {
namespace {

constexpr std::size_t kLoops = 8;
// The defaults' loop: 2-3 with Claves at 200, 105840 samples.
constexpr std::size_t kLoopFrames = 105840;
const std::vector<std::size_t> kStrokes = {13230, 26460, 52920, 72765, 92610};
const std::vector<std::size_t> kBeats = {0, 13230, 26460, 39690, 52920, 66150, 79380, 92610};

class PracticeAids : public DesktopTest {
 protected:
  PracticeAids() : DesktopTest(44100, 5ms, TOCOLO_EIGHT_LOOPS_PROGRAM) {}

  // Alt+Space opens the window menu; the key is the item's mnemonic.
  void Choose(const std::string& mnemonic) {
    session.Key("alt+space");
    std::this_thread::sleep_for(400ms);
    session.Key(mnemonic);
    std::this_thread::sleep_for(200ms);
  }

  // Space, then the eight loops and their end. With `onceMore`, one
  // Space after the end, which must play the loop again from its first sample.
  void PlayEight(const Sound& loop, std::uint32_t silentCycle, bool onceMore) {
    const auto pressed = session.Key("space");
    std::this_thread::sleep_for(LoopDuration(kDefaults) * kLoops + 1200ms);
    Clock::time_point again;
    if (onceMore) {
      again = session.Key("space");
      std::this_thread::sleep_for(LoopDuration(kDefaults) + 500ms);
      session.Key("space");
      std::this_thread::sleep_for(200ms);
    }
    recorder.Finish();
    {
      SCOPED_TRACE("eight loops, then the end");
      ExpectLoops(loop, silentCycle, IndexAt(pressed), kLoops, true);
    }
    if (onceMore) {
      SCOPED_TRACE("one Space after the end plays again from the first sample");
      const std::size_t from = IndexAt(again);
      const std::optional<std::size_t> start = ExpectLoops(loop, silentCycle, from, 1, false);
      if (start) {
        EXPECT_LT(*start - from, 22050u) << "began " << (*start - from) / 44.1 << " ms late";
      }
    }
  }

  // From where `loop` first plays after `from`: `loops` repetitions, each silent one all
  // zeros and each sounding one exact, all on one grid; with `thenSilence`, half a second
  // of silence after them.
  std::optional<std::size_t> ExpectLoops(const Sound& loop, std::uint32_t silentCycle,
                                         std::size_t from, std::size_t loops, bool thenSilence) {
    const Sound& rec = recorder.samples();
    const std::optional<std::size_t> start = FindLoopStart(rec, loop, from);
    if (!start) {
      ADD_FAILURE() << "no whole loop played after sample " << from;
      return start;
    }
    const Sound gap(loop.size(), 0);
    for (std::size_t k = 0; k < loops; ++k) {
      const bool silent = silentCycle >= 2 && k % silentCycle == silentCycle - 1;
      const LoopComparison same =
          CompareWithLoop(rec, silent ? gap : loop, *start + k * loop.size(), loop.size());
      EXPECT_EQ(same.compared, loop.size()) << "the recording ends in loop " << k;
      EXPECT_EQ(same.mismatches, 0u) << (silent ? "silent" : "sounding") << " loop " << k
                                     << " differs first at sample " << same.firstMismatch;
    }
    if (thenSilence) {
      const LoopComparison after =
          CompareWithLoop(rec, Sound(44100, 0), *start + loops * loop.size(), 44100);
      EXPECT_EQ(after.compared, 44100u);
      EXPECT_EQ(after.mismatches, 0u) << "sound after the last loop";
    }
    return start;
  }
};

Sound Strokes() {
  return StrokesAt(kStrokes, ToneSamples(CRhythmEngine::kToneClaves), kLoopFrames);
}

Sound StrokesAndBeat() {
  Sound loop = Strokes();
  MixAt(loop, kBeats, ClickSamples());
  return loop;
}

// The last of the eight is a silent one: the end still comes, and the window follows it.
TEST_F(PracticeAids, EverySecondLoopSilentAndOneSpaceAfterTheEndPlaysAgain) {
  Choose("e");
  PlayEight(Strokes(), 2, true);
}

TEST_F(PracticeAids, TheBeatUnderTheClave) {
  Choose("b");
  PlayEight(StrokesAndBeat(), 0, false);
}

TEST_F(PracticeAids, OneSilentLoopInFourWithTheBeat) {
  Choose("f");
  Choose("b");
  PlayEight(StrokesAndBeat(), 4, false);
}

}  // namespace
}  // namespace desktop
