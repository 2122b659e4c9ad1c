// Listening as the sound server sees it: Tocolo records only while Listen is on and the
// tap-along window open, and when its input goes away it stops listening and plays on.
#include <thread>

#include "desktop/DesktopTest.h"

namespace desktop {
namespace {

class Listen : public DesktopTest {
 protected:
  explicit Listen(std::chrono::milliseconds recorderLatency = 5ms)
      : DesktopTest(44100, recorderLatency) {}

  void SetUp() override {
    DesktopTest::SetUp();
    if (HasFatalFailure()) return;
    // A microphone of its own: the monitor of a null sink, the default input.
    microphone = pactl::LoadNullSink("tocolo_mic");
    ASSERT_TRUE(microphone);
    ASSERT_TRUE(pactl::Run({"set-default-source", "tocolo_mic.monitor"}));
  }
  void TearDown() override {
    if (microphone) pactl::Run({"unload-module", *microphone});
    DesktopTest::TearDown();
  }

  void OpenTapAlong() {
    session.Key("alt+space");
    std::this_thread::sleep_for(400ms);
    session.Key("t");
    std::this_thread::sleep_for(500ms);
  }
  // Waits up to a second for the server to list `streams` recordings of the program's.
  bool Recording(std::size_t streams) {
    for (int tries = 0; tries < 20; ++tries) {
      if (pactl::RecordingStreamsOf(session.ProgramPid()) == streams) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  // The input removed while listening (its sink unloaded): no recording is left anywhere (the
  // server may not move it elsewhere), and the loop plays on.
  void RemoveTheInputWhileListening() {
    OpenTapAlong();
    session.Key("alt+l");
    ASSERT_TRUE(Recording(1));
    session.Key("space");
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(pactl::Run({"unload-module", *microphone}));
    microphone.reset();
    EXPECT_TRUE(Recording(0)) << "a recording is left after its input went away";
    const Clock::time_point after = Clock::now();
    std::this_thread::sleep_for(LoopDuration(kDefaults) * 2 + 300ms);
    ASSERT_TRUE(session.ProgramRunning());
    session.Key("space");
    std::this_thread::sleep_for(200ms);
    recorder.Finish();
    ExpectLoopPlays(kDefaults, IndexAt(after), 1);
  }

  std::optional<std::string> microphone;
};

TEST_F(Listen, TheServerListsARecordingOfTocolosOnlyWhileListenIsOnAndTheWindowOpen) {
  EXPECT_TRUE(Recording(0)) << "before the window opened";
  OpenTapAlong();
  EXPECT_TRUE(Recording(0)) << "with the window open and Listen off";
  session.Key("alt+l");
  EXPECT_TRUE(Recording(1)) << "Listen on";
  session.Key("alt+l");
  EXPECT_TRUE(Recording(0)) << "Listen unchecked";
  session.Key("alt+l");
  EXPECT_TRUE(Recording(1)) << "Listen on again";
  session.Key("Escape");
  EXPECT_TRUE(Recording(0)) << "the window closed";
  OpenTapAlong();
  EXPECT_TRUE(Recording(0)) << "Listen is off whenever the window opens";
}

TEST_F(Listen, TheInputGoingWhileListeningEndsListeningAndTheLoopPlaysOn) {
  RemoveTheInputWhileListening();
}

// Through pipewire-pulse, at 44.1 kHz so that the loop is checked sample for sample.
class PipeWireListen : protected PipeWireServer, public Listen {
 protected:
  PipeWireListen() : PipeWireServer(44100), Listen(50ms) {}
  void SetUp() override {
    ASSERT_TRUE(started_) << "PipeWire did not start";
    Listen::SetUp();
  }
};

TEST_F(PipeWireListen, TheInputGoingWhileListeningEndsListeningAndTheLoopPlaysOn) {
  RemoveTheInputWhileListening();
}

}  // namespace
}  // namespace desktop
