#include <gtest/gtest.h>

#include <vector>

#include "audio/DefaultWaveDevice.h"
#include "audio/WaveOut.h"
#include "support/ManualWaveDevice.h"

namespace {

std::vector<std::int16_t> Pull(ManualWaveDevice& device, std::size_t frames) {
  std::vector<std::int16_t> out(frames);
  device.Pull(out);
  return out;
}

TEST(WaveOut, PlaysWholeSamplesOfTheBufferTheGivenNumberOfTimes) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride use(&device);
  const std::vector<std::int16_t> buffer = {1, 2, 3, 4, 5};
  CWaveOut out;
  EXPECT_TRUE(out.Stop()) << "stopping what never played succeeds";
  EXPECT_FALSE(out.IsPlaying());
  out.SetBuffer(buffer.data());
  out.SetLength(7);  // three and a half samples: the half is not played
  ASSERT_TRUE(out.Play(2));
  EXPECT_TRUE(out.IsPlaying());
  EXPECT_EQ(Pull(device, 5), (std::vector<std::int16_t>{1, 2, 3, 1, 2}));
  EXPECT_TRUE(out.IsPlaying());
  EXPECT_EQ(Pull(device, 3), (std::vector<std::int16_t>{3, 0, 0}));
  EXPECT_FALSE(out.IsPlaying()) << "the last repetition has played";
  EXPECT_TRUE(out.Stop());

  ASSERT_TRUE(out.Play(1000));
  EXPECT_EQ(Pull(device, 4), (std::vector<std::int16_t>{1, 2, 3, 1}));
  ASSERT_TRUE(out.Stop());
  EXPECT_FALSE(out.IsPlaying());
  EXPECT_EQ(Pull(device, 3), (std::vector<std::int16_t>{0, 0, 0}));
  ASSERT_TRUE(out.Play(1000));  // starts again from the first sample
  EXPECT_EQ(Pull(device, 2), (std::vector<std::int16_t>{1, 2}));
}

// The grid runs on through a silent repetition: it is zeros of exactly the loop's length.
TEST(WaveOut, SilentCycleSilencesTheLastLoopOfEachCycleAndKeepsTheCount) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride use(&device);
  const std::vector<std::int16_t> buffer = {1, 2, 3};
  const std::vector<std::int16_t> loop = buffer, gap(3, 0);
  auto loops = [](std::initializer_list<std::vector<std::int16_t>> parts) {
    std::vector<std::int16_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  CWaveOut out;
  out.SetBuffer(buffer.data());
  out.SetLength(6);
  struct Case {
    std::uint32_t cycle;
    std::vector<std::int16_t> heard;  // 8 loops, then the silence after the last
  };
  for (const Case& c : {Case{0, loops({loop, loop, loop, loop, loop, loop, loop, loop, gap})},
                        Case{1, loops({loop, loop, loop, loop, loop, loop, loop, loop, gap})},
                        Case{2, loops({loop, gap, loop, gap, loop, gap, loop, gap, gap})},
                        Case{4, loops({loop, loop, loop, gap, loop, loop, loop, gap, gap})}}) {
    SCOPED_TRACE(c.cycle);
    out.SetSilentCycle(c.cycle);
    ASSERT_TRUE(out.Play(8));
    std::vector<std::int16_t> heard;
    // Pieces of 4 straddle every boundary between a sounding and a silent loop.
    for (int piece = 0; piece < 7; ++piece) {
      const std::vector<std::int16_t> next = Pull(device, 4);
      heard.insert(heard.end(), next.begin(), next.end());
    }
    heard.resize(c.heard.size());
    EXPECT_EQ(heard, c.heard);
    EXPECT_FALSE(out.IsPlaying()) << "silent loops count among the repetitions";
  }
  // A restart begins with a sounding loop whatever the cycle had reached.
  out.SetSilentCycle(2);
  ASSERT_TRUE(out.Play(1000));
  Pull(device, 4);
  ASSERT_TRUE(out.Play(1000));
  EXPECT_EQ(Pull(device, 6), loops({loop, gap}));
}

TEST(WaveOut, FailuresToPlayOrStopChangeNothing) {
  ManualWaveDevice device(kCdMono);
  const std::vector<std::int16_t> buffer = {7, 7};
  {
    ScopedWaveDeviceOverride noDevice(nullptr);
    CWaveOut out;
    out.SetBuffer(buffer.data());
    out.SetLength(4);
    EXPECT_FALSE(out.Play(1000));
    EXPECT_FALSE(out.IsPlaying());
  }
  ScopedWaveDeviceOverride use(&device);
  CWaveOut out;
  EXPECT_FALSE(out.Play(1000)) << "no buffer set yet";
  out.SetBuffer(buffer.data());
  out.SetLength(4);
  device.SetUnplugged(true);
  EXPECT_FALSE(out.Play(1000));
  EXPECT_FALSE(out.IsPlaying());
  device.SetUnplugged(false);
  ASSERT_TRUE(out.Play(1000));
  device.SetUnplugged(true);
  EXPECT_FALSE(out.Stop());
  EXPECT_TRUE(out.IsPlaying());
  device.SetUnplugged(false);
  EXPECT_TRUE(out.Stop());
}

}  // namespace
