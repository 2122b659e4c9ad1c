// What a desktop's sound server does to a running program: it dies and comes back, its
// sink is suspended, the user picks another default output. The program stays up and comes
// back to exact playback.
#include <cstdlib>
#include <thread>

#include "desktop/DesktopTest.h"
#include "support/PrivatePulseServer.h"

namespace desktop {
namespace {

using DesktopFaults = DesktopTest;

bool SoundsAfter(const ParecRecorder& recorder, std::size_t from) {
  const Sound& rec = recorder.samples();
  return std::any_of(rec.begin() + static_cast<std::ptrdiff_t>(std::min(from, rec.size())),
                     rec.end(), [](std::int16_t s) { return s != 0; });
}

// Presses Space until sound follows, at most `presses` times: when the last press was made.
std::optional<Clock::time_point> SpaceUntilSounding(DesktopSession& session,
                                                    ParecRecorder& recorder, int presses) {
  for (int i = 0; i < presses; ++i) {
    const Clock::time_point pressed = session.Key("space");
    std::this_thread::sleep_for(1s);
    if (SoundsAfter(recorder, recorder.FirstSampleArrivingAfter(pressed))) return pressed;
  }
  return std::nullopt;
}

// Kills the server and starts it again on the same socket; the recorder goes with it.
void RestartServer(std::optional<ParecRecorder>& recorder) {
  recorder.reset();
  ASSERT_TRUE(PulseServer("stop"));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(PulseServer("start"));
  recorder.emplace("tocolo.monitor");
  ASSERT_TRUE(recorder->WaitForSamples(4410, 5s));
}

TEST_F(DesktopFaults, ServerRestartedWhilePlayingOrStoppedIsBackExactWithinTwoSpaces) {
  recorder.Finish();
  std::optional<ParecRecorder> again;
  session.Key("space");
  std::this_thread::sleep_for(1s);
  for (const char* when : {"while playing", "while stopped"}) {
    SCOPED_TRACE(when);
    RestartServer(again);
    ASSERT_TRUE(session.ProgramRunning()) << "the program did not survive";
    const std::optional<Clock::time_point> pressed = SpaceUntilSounding(session, *again, 2);
    ASSERT_TRUE(pressed) << "two presses of Space brought no sound back";
    std::this_thread::sleep_for(LoopDuration(kDefaults) * 2);
    session.Key("space");  // stopped for the second round
    std::this_thread::sleep_for(200ms);
    again->Finish();
    ExpectLoopPlays(again->samples(), kDefaults, again->FirstSampleArrivingAfter(*pressed), 2);
  }
}

TEST_F(DesktopFaults, SinkSuspendedWhilePlayingSoundsAgainOnItsGridOnceResumed) {
  session.Key("space");
  std::this_thread::sleep_for(1s);
  ASSERT_TRUE(pactl::Run({"suspend-sink", "tocolo", "1"}));
  std::this_thread::sleep_for(2s);
  const Clock::time_point resumed = Clock::now();
  ASSERT_TRUE(pactl::Run({"suspend-sink", "tocolo", "0"}));
  std::this_thread::sleep_for(LoopDuration(kDefaults) * 3);
  session.Key("space");
  std::this_thread::sleep_for(200ms);
  recorder.Finish();
  // The loop goes on where the suspension caught it; its next whole repetition is exact.
  ExpectLoopPlays(kDefaults, IndexAt(resumed), 1);
}

TEST_F(DesktopFaults, PlaysOnTheDefaultOutputTheUserPicksWhileStoppedOrPlaying) {
  const std::optional<std::string> module = pactl::LoadNullSink("tocolo_other");
  ASSERT_TRUE(module);
  ParecRecorder other("tocolo_other.monitor");
  ASSERT_TRUE(other.WaitForSamples(4410, 5s));

  ASSERT_TRUE(pactl::Run({"set-default-sink", "tocolo_other"}));
  std::this_thread::sleep_for(300ms);
  const Clock::time_point pressed = session.Key("space");
  std::this_thread::sleep_for(LoopDuration(kDefaults) * 2 + 500ms);
  EXPECT_EQ(Underruns(), 0u);
  const Clock::time_point moved = Clock::now();
  ASSERT_TRUE(pactl::Run({"set-default-sink", "tocolo"}));
  std::this_thread::sleep_for(500ms);
  // Moving a playing stream, the server drops what the new sink holds of it (so the stream
  // keeps time with the clock) and may report that as one underrun; none may follow.
  underrunsExpected = Underruns();
  EXPECT_LE(underrunsExpected, 1u);
  std::this_thread::sleep_for(LoopDuration(kDefaults) * 2);
  session.Key("space");
  std::this_thread::sleep_for(200ms);
  other.Finish();
  recorder.Finish();
  pactl::Run({"unload-module", *module});

  {
    SCOPED_TRACE("picked while stopped: exact from the first stroke");
    ExpectLoopPlays(other.samples(), kDefaults, other.FirstSampleArrivingAfter(pressed), 2);
  }
  {
    SCOPED_TRACE("picked while playing: the sound follows, on its grid again after the move");
    ExpectLoopPlays(kDefaults, IndexAt(moved), 1);
  }
}

}  // namespace
}  // namespace desktop
