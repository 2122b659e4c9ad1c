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
  engine.SetPattern(1);
  engine.SetTone(2);
}

TEST(PulsePlayback, DeepQueueKeepsEverySampleThroughStalls) {
  WaveDevice* const output = OpenDefaultWaveDevice(kCdMono);
  CRhythmEngine engine;
  SelectRingingLoop(engine);
  const Sound loop = PlayedLoop(engine);
  ParecRecorder recorder("tocolo.monitor");
  ASSERT_TRUE(recorder.WaitForSamples(4410, 5s)) << "the sink's monitor records nothing";

  const std::uint64_t underruns = output->Underruns();
  engine.Play();
  ASSERT_TRUE(engine.IsPlaying()) << "no audio output reached";
  {
    ProcessStaller staller(getpid(), kStall, kStallEvery);
    ASSERT_TRUE(staller.Started());
    std::this_thread::sleep_for(5s);  // three loops of 1.6 s and some
  }
  engine.Stop();
  std::this_thread::sleep_for(300ms);
  recorder.Finish();
  EXPECT_EQ(output->Underruns(), underruns) << "the server's queue ran dry";

  const Sound& rec = recorder.samples();
  const std::optional<std::size_t> start = FindLoopStart(rec, loop);
  ASSERT_TRUE(start) << "the loop was never heard whole";
  const LoopComparison same = CompareWithLoop(rec, loop, *start, 3 * loop.size());
  EXPECT_EQ(same.compared, 3 * loop.size());
  EXPECT_EQ(same.mismatches, 0u) << "first at sample " << same.firstMismatch % loop.size()
                                 << " of loop " << same.firstMismatch / loop.size();
}

// The same stalls against a queue of a few milliseconds: it runs dry, and the count says so.
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
