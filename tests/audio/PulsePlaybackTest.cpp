// Plays into a real PulseAudio server's null sink and records its monitor, while this very
// process is stalled now and then, as a busy desktop stalls it. The server is started by the
// test suite; PULSE_SERVER points at it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "audio/PulseWaveDevice.h"
#include "support/EngineFixture.h"
#include "support/measure/LoopMatch.h"
#include "support/measure/Pactl.h"
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

// A loop of `frames` none of whose samples is zero, loudest at its end: any cut or gap shows.
Sound Ramp(std::size_t frames) {
  Sound loop(frames);
  for (std::size_t i = 0; i < frames; ++i) loop[i] = static_cast<std::int16_t>(i * 7 + 1);
  return loop;
}

WaveHeader HeaderFor(const Sound& loop, std::uint32_t loops, std::uint32_t silentCycle = 0) {
  WaveHeader header;
  header.data = loop.data();
  header.bufferLength = static_cast<std::uint32_t>(loop.size() * 2);
  header.flags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
  header.loops = loops;
  header.silentCycle = silentCycle;
  return header;
}

// The device's end on the real server: every repetition heard whole, then silence, the stream
// corked and the device played out, whatever stalls the process meanwhile.
class PulseLoopEnd : public ::testing::Test {
 protected:
  using Clock = std::chrono::steady_clock;

  void SetUp() override { ASSERT_TRUE(device.WaitUntilReady(5s)) << device.Failure(); }

  void StartRecording() {
    recorder.emplace("tocolo.monitor");
    ASSERT_TRUE(recorder->WaitForSamples(4410, 5s));
  }
  // When the device was first seen played out, waiting at most `timeout`.
  std::optional<Clock::time_point> WaitForPlayedOut(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!device.PlayedOut()) {
      if (Clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(2ms);
    }
    return Clock::now();
  }
  // Whether every stream of this process is corked: the device's, and the process's own
  // output if an earlier test opened it.
  bool Corked() {
    const std::vector<pactl::PlaybackStream> streams = pactl::PlaybackStreamsOf(getpid());
    return !streams.empty() && std::all_of(streams.begin(), streams.end(),
                                           [](const auto& stream) { return stream.corked; });
  }
  // From the first whole repetition after `from`: `loops` repetitions exact (the silent ones
  // all zeros), then `silence` samples of silence.
  void ExpectHeardWholeThenSilence(const Sound& loop, std::size_t loops, std::uint32_t silentCycle,
                                   std::size_t from = 0, std::size_t silence = 4410) {
    std::this_thread::sleep_for(std::chrono::milliseconds(silence * 1000 / 44100) + 100ms);
    recorder->Finish();
    const Sound& rec = recorder->samples();
    const std::optional<std::size_t> start = FindLoopStart(rec, loop, from);
    ASSERT_TRUE(start) << "no whole repetition heard";
    const Sound gap(loop.size(), 0);
    for (std::size_t k = 0; k < loops; ++k) {
      const bool silent = silentCycle >= 2 && k % silentCycle == silentCycle - 1;
      const LoopComparison same =
          CompareWithLoop(rec, silent ? gap : loop, *start + k * loop.size(), loop.size());
      EXPECT_EQ(same.compared, loop.size()) << "the recording ends in repetition " << k;
      EXPECT_EQ(same.mismatches, 0u)
          << "repetition " << k << " differs from sample " << same.firstMismatch;
    }
    const LoopComparison after =
        CompareWithLoop(rec, Sound(silence, 0), *start + loops * loop.size(), silence);
    EXPECT_EQ(after.compared, silence);
    EXPECT_EQ(after.mismatches, 0u) << "sound after the last repetition";
  }

  PulseWaveDevice device{kCdMono};
  std::optional<ParecRecorder> recorder;
};

TEST_F(PulseLoopEnd, LastRepetitionIsHeardWholeThenTheStreamIsCorkedAndTheDevicePlayedOut) {
  StartRecording();
  const Sound loop = Ramp(4410);
  ASSERT_TRUE(device.Write(HeaderFor(loop, 5, 2)));
  EXPECT_FALSE(device.PlayedOut());
  EXPECT_TRUE(WaitForPlayedOut(3s));
  EXPECT_TRUE(Corked());
  EXPECT_EQ(device.Underruns(), 0u);
  ExpectHeardWholeThenSilence(loop, 5, 2);
  device.Reset();
  EXPECT_FALSE(device.PlayedOut());
}

// The server holds at least 300 ms of the loop, so a stall that starts anywhere in the last
// half second and is shorter than that loses nothing, and the end is found at once after it.
TEST_F(PulseLoopEnd, StallsWhatTheServerHoldsCoversCostNothingAcrossTheEnd) {
  const Sound loop = Ramp(17640);  // 400 ms
  for (const auto before : {450ms, 300ms, 150ms, 40ms}) {
    SCOPED_TRACE(testing::Message() << "stalled " << before.count() << " ms before the end");
    StartRecording();
    ASSERT_TRUE(device.Write(HeaderFor(loop, 3)));
    ProcessStaller staller(getpid(), ProcessStaller::Once{1200ms - before, 250ms});
    while (!staller.Done()) std::this_thread::sleep_for(5ms);
    const auto resumed = Clock::now();
    const std::optional<Clock::time_point> playedOut = WaitForPlayedOut(2s);
    ASSERT_TRUE(playedOut) << "never played out";
    EXPECT_LT(*playedOut - resumed, 300ms) << "the end was not found soon after the stall";
    EXPECT_TRUE(Corked());
    EXPECT_EQ(device.Underruns(), 0u);
    ExpectHeardWholeThenSilence(loop, 3, 0);
  }
}

// A stall longer than the queue (it holds 550 ms at the most) runs it dry, and that is
// counted; once the process runs again the end is found from where the server has got to,
// though the last of the loop never came.
TEST_F(PulseLoopEnd, AStallBeyondTheQueueIsCountedAndTheEndStillComesAtOnce) {
  StartRecording();
  const Sound loop = Ramp(17640);  // read in place by the device until it has played out
  ASSERT_TRUE(device.Write(HeaderFor(loop, 3)));
  ProcessStaller staller(getpid(), ProcessStaller::Once{500ms, 1200ms});
  while (!staller.Done()) std::this_thread::sleep_for(5ms);
  const auto resumed = Clock::now();
  const std::optional<Clock::time_point> playedOut = WaitForPlayedOut(2s);
  ASSERT_TRUE(playedOut) << "never played out: the window would show playing over silence";
  EXPECT_LT(*playedOut - resumed, 1s);
  EXPECT_TRUE(Corked());
  EXPECT_GE(device.Underruns(), 1u);
}

// A restart just before or after the end (a change of setting) is no underrun, whatever the
// server says of the loop it replaced, and the new loop is heard whole.
TEST_F(PulseLoopEnd, RestartsAroundTheEndCountNoUnderrunAndPlayTheNewLoopWhole) {
  const Sound loop = Ramp(8820);  // 200 ms
  Sound next = loop;              // unlike the first, so that it is found for itself
  std::reverse(next.begin(), next.end());
  for (const auto offset : {-40ms, -10ms, 10ms, 40ms}) {
    SCOPED_TRACE(testing::Message() << "restarted " << offset.count() << " ms from the end");
    StartRecording();
    const auto started = Clock::now();
    ASSERT_TRUE(device.Write(HeaderFor(loop, 2)));
    std::this_thread::sleep_until(started + 400ms + offset);
    ASSERT_TRUE(device.Write(HeaderFor(next, 2)));
    ASSERT_TRUE(WaitForPlayedOut(2s));
    EXPECT_EQ(device.Underruns(), 0u);
    ExpectHeardWholeThenSilence(next, 2, 0);
  }
}

}  // namespace
