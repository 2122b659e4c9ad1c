// The output's clock on the real server: when it says a sample of the loop is heard, the
// sink's monitor, placed in time by its own recording stream, hears it then.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "audio/PulseWaveDevice.h"
#include "support/measure/PulseRecorder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

TEST(PulseClock, SaysWhenEachSampleOfTheLoopIsHeardAtTheSink) {
  PulseWaveDevice device(kCdMono);
  ASSERT_TRUE(device.WaitUntilReady(5s)) << device.Failure();
  PulseRecorder recorder("tocolo.monitor");
  ASSERT_TRUE(recorder.WaitUntilRecording(5s));
  ASSERT_TRUE(recorder.WaitForSamples(4410, 5s));

  constexpr std::size_t kLoopFrames = 22050, kClickAt = 10000, kLoops = 20;
  std::vector<std::int16_t> loop(kLoopFrames, 0);
  std::fill_n(loop.begin() + kClickAt, 32, std::int16_t{20000});
  WaveHeader header;
  header.data = loop.data();
  header.bufferLength = kLoopFrames * 2;
  header.flags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
  header.loops = kLoops;
  device.SetClockWanted(true);
  ASSERT_TRUE(device.Write(header));
  // What the clock says as the loop plays, kept with when it was asked.
  std::vector<std::pair<Clock::time_point, LoopClock>> clocks;
  for (int i = 0; i < 19; ++i) {
    std::this_thread::sleep_for(500ms);
    if (const std::optional<LoopClock> clock = device.HeardClock())
      clocks.emplace_back(Clock::now(), *clock);
  }
  std::this_thread::sleep_for(500ms);
  recorder.Finish();
  ASSERT_FALSE(clocks.empty()) << "the device never said when its loop is heard";

  const std::vector<std::int16_t>& rec = recorder.samples();
  std::vector<std::size_t> clicks;
  for (std::size_t i = 1; i < rec.size(); ++i) {
    if (rec[i] == 20000 && rec[i - 1] == 0) clicks.push_back(i);
  }
  ASSERT_EQ(clicks.size(), kLoops);
  // Each click against what the clock said within a second of it, as a tap would be.
  for (const auto& [asked, clock] : clocks) {
    for (std::size_t k = 0; k < kLoops; ++k) {
      const auto said = clock.HeardAt(static_cast<double>(k * kLoopFrames + kClickAt));
      if (said < asked - 1s || said > asked + 1s) continue;
      const auto heard = recorder.HeardAt(static_cast<double>(clicks[k]));
      ASSERT_TRUE(heard);
      EXPECT_LT(std::abs(Ms(said - *heard)), 1.0) << "click " << k;
    }
  }
}

}  // namespace
