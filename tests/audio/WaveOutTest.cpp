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
  EXPECT_EQ(Pull(device, 8), (std::vector<std::int16_t>{1, 2, 3, 1, 2, 3, 0, 0}));
  EXPECT_TRUE(out.IsPlaying());  // running out of loops is not noticed

  ASSERT_TRUE(out.Play(1000));
  EXPECT_EQ(Pull(device, 4), (std::vector<std::int16_t>{1, 2, 3, 1}));
  ASSERT_TRUE(out.Stop());
  EXPECT_FALSE(out.IsPlaying());
  EXPECT_EQ(Pull(device, 3), (std::vector<std::int16_t>{0, 0, 0}));
  ASSERT_TRUE(out.Play(1000));  // starts again from the first sample
  EXPECT_EQ(Pull(device, 2), (std::vector<std::int16_t>{1, 2}));
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
