// Timing of the whole program, played into the suite's PulseAudio null sink (bit-exact, no
// resampling). While it plays, the program is stalled now and then, as a busy desktop
// stalls it, and its stream must never run dry.
#include "desktop/DesktopTest.h"

namespace desktop {
namespace {

using DesktopTiming = DesktopTest;

TEST_F(DesktopTiming, TenLoopsAtTheDefaultsKeepTheGridAndEverySample) {
  constexpr std::size_t kLoops = 10;
  StallTheProgram();
  const auto pressed = session.Key("space");
  std::this_thread::sleep_for(LoopDuration(kDefaults) * (kLoops + 0.5) + 300ms);
  session.Key("space");
  std::this_thread::sleep_for(200ms);
  recorder.Finish();
  ExpectLoopPlays(kDefaults, IndexAt(pressed), kLoops);
}

TEST_F(DesktopTiming, EachChangeWhilePlayingRestartsTheNewLoopFromItsFirstSample) {
  constexpr std::size_t kLoops = 2;
  StallTheProgram();
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
  // Focus is on STOP: Shift+Tab passes START, disabled while playing, back to the slider;
  // one step right is 2 bpm more.
  playFor({CRhythmEngine::kPatternTwoThree, CRhythmEngine::kToneClaves, 202},
          session.Key("shift+Tab Right"));
  playFor({CRhythmEngine::kPatternRumba, CRhythmEngine::kToneClaves, 202},
          session.Click(kRumbaButton.x, kRumbaButton.y));
  playFor({CRhythmEngine::kPatternRumba, CRhythmEngine::kToneCowbell, 202},
          session.Click(kCowbellButton.x, kCowbellButton.y));
  playFor({CRhythmEngine::kPatternSixEight, CRhythmEngine::kToneCowbell, 202},
          session.Click(kSixEightButton.x, kSixEightButton.y));
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

}  // namespace
}  // namespace desktop
