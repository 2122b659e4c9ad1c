// Plays into a real PulseAudio server's null sink and records its monitor, while this very
// process is stalled now and then, as a busy desktop stalls it. The server is started by the
// test suite; PULSE_SERVER points at it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "audio/PulseWaveDevice.h"
#include "support/EngineFixture.h"
#include "support/measure/LoopMatch.h"
#include "support/measure/ParecRecorder.h"
#include "support/measure/ProcessStaller.h"

namespace {

using namespace std::chrono_literals;
using Sound = std::vector<std::int16_t>;

// Stalls longer than any this machine was seen to make, and more often.
constexpr auto kStall = 30ms;
constexpr auto kStallEvery = 200ms;

// Cowbell in the rumba pattern at 300: a stroke opens the loop and the tone rings without a
// gap, so every sample of the loop is checked against sound.
void SelectRingingLoop(CRhythmEngine& engine) {
  engine.SetTempo(300);
  engine.SetPattern(CRhythmEngine::kPatternRumba);
  engine.SetTone(CRhythmEngine::kToneCowbell);
}

// Stalls against a queue of a few milliseconds: it runs dry, and the underrun count, which
// the whole-program tests hold at zero, says so.
TEST(PulsePlayback, ShallowQueueRunsDryUnderTheSameStallsAndTheCountShowsIt) {
  PulseWaveDevice device(kCdMono, {.target = 10ms, .inSink = 5ms, .lead = 5ms});
  ASSERT_TRUE(device.WaitUntilReady(5s)) << device.Failure();
  ScopedWaveDeviceOverride use(&device);
  CRhythmEngine engine;
  SelectRingingLoop(engine);
  engine.Play();
  ASSERT_TRUE(engine.IsPlaying());
  {
    ProcessStaller staller(getpid(), kStall, kStallEvery);
    std::this_thread::sleep_for(2s);
  }
  engine.Stop();
  EXPECT_GT(device.Underruns(), 0u);
}

}  // namespace
