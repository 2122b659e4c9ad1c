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

// The server says when the loop has run out: every repetition is heard whole, then silence,
// and the end is neither an underrun nor left unreported.
TEST(PulsePlayback, LastRepetitionIsHeardWholeThenTheDeviceReportsItPlayedOut) {
  PulseWaveDevice device(kCdMono);
  ASSERT_TRUE(device.WaitUntilReady(5s)) << device.Failure();
  ParecRecorder recorder("tocolo.monitor");
  ASSERT_TRUE(recorder.WaitForSamples(4410, 5s));
  Sound loop(4410);  // 100 ms that end loud, so a cut tail would show
  for (std::size_t i = 0; i < loop.size(); ++i) loop[i] = static_cast<std::int16_t>(i * 7 + 1);
  WaveHeader header;
  header.data = loop.data();
  header.bufferLength = static_cast<std::uint32_t>(loop.size() * 2);
  header.flags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
  header.loops = 5;
  header.silentCycle = 2;
  ASSERT_TRUE(device.Write(header));
  EXPECT_FALSE(device.PlayedOut());
  const auto deadline = std::chrono::steady_clock::now() + 3s;
  while (!device.PlayedOut() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(device.PlayedOut());
  std::this_thread::sleep_for(300ms);
  recorder.Finish();
  EXPECT_EQ(device.Underruns(), 0u);

  const Sound& rec = recorder.samples();
  const std::optional<std::size_t> start = FindLoopStart(rec, loop);
  ASSERT_TRUE(start);
  const Sound gap(loop.size(), 0);
  for (std::size_t k = 0; k < 6; ++k) {
    const Sound& expected = k == 5 || k % 2 == 1 ? gap : loop;  // the sixth: after the end
    ASSERT_GE(rec.size(), *start + (k + 1) * loop.size());
    EXPECT_TRUE(
        std::equal(expected.begin(), expected.end(), rec.begin() + *start + k * loop.size()))
        << "repetition " << k;
  }
  device.Reset();
  EXPECT_FALSE(device.PlayedOut());
}

}  // namespace
