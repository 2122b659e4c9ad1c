// The fallback output, SDL2, on the suite's PulseAudio server (SDL_AUDIODRIVER=pulseaudio):
// it says the loop has ended only once its last frame has reached the sink, not when it was
// handed to SDL, and says so once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "audio/SdlWaveDevice.h"
#include "support/measure/LoopMatch.h"
#include "support/measure/ParecRecorder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(SdlPlayback, ReportsTheEndOnceTheLastFrameIsHeardAndOnlyOnce) {
  SdlWaveDevice device(kCdMono);
  ASSERT_FALSE(device.Lost()) << device.Failure();
  std::atomic<int> told = 0;
  device.SetStoppedListener([&] { ++told; });
  ParecRecorder recorder("tocolo.monitor");
  ASSERT_TRUE(recorder.WaitForSamples(4410, 5s));

  std::vector<std::int16_t> loop(4410);  // 100 ms, none of it silent
  for (std::size_t i = 0; i < loop.size(); ++i) loop[i] = static_cast<std::int16_t>(i * 7 + 1);
  WaveHeader header;
  header.data = loop.data();
  header.bufferLength = static_cast<std::uint32_t>(loop.size() * 2);
  header.flags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
  header.loops = 3;
  ASSERT_TRUE(device.Write(header));
  const auto deadline = Clock::now() + 3s;
  while (!device.PlayedOut() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
  const auto playedOut = Clock::now();
  ASSERT_TRUE(device.PlayedOut());
  std::this_thread::sleep_for(300ms);
  recorder.Finish();
  EXPECT_EQ(told, 1);

  const std::optional<std::size_t> start = FindLoopStart(recorder.samples(), loop);
  ASSERT_TRUE(start);
  const LoopComparison heard = CompareWithLoop(recorder.samples(), loop, *start, 3 * loop.size());
  EXPECT_EQ(heard.mismatches, 0u);
  // The recording's piece with the last frame arrives a few ms after the sink plays it; SDL
  // holds a whole period (23 ms) ahead of what it asks for.
  const auto lastHeard = recorder.ArrivalOf(*start + 3 * loop.size() - 1);
  EXPECT_GT(playedOut, lastHeard - 10ms)
      << "reported " << std::chrono::duration<double, std::milli>(lastHeard - playedOut).count()
      << " ms before the last frame was heard";
  device.Reset();
  EXPECT_FALSE(device.PlayedOut());
}

}  // namespace
