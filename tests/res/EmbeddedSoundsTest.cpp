#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "engine/WaveImage.h"
#include "res/ResourceIds.h"
#include "res/Resources.h"

namespace {

struct EmbeddedTone {
  std::string_view name;
  int id;
  std::uint32_t headerRate;
};

void PrintTo(const EmbeddedTone& tone, std::ostream* os) {
  *os << tone.name;
}

// The player runs every tone at this rate whatever its header says.
constexpr std::size_t kPlaybackRate = 44100;
// round(32767 * 10^(-3/20)): every tone peaks at -3 dBFS.
constexpr int kPeak = 23197;

int PeakOf(std::span<const std::int16_t> samples) {
  int peak = 0;
  for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

class EmbeddedSoundsTest : public testing::TestWithParam<EmbeddedTone> {};

TEST_P(EmbeddedSoundsTest, IsCanonicalLevelledAndClickFree) {
  const EmbeddedTone& tone = GetParam();
  const res::Bytes image = res::FindResource(tone.id, res::kTypeWave);
  ASSERT_FALSE(image.empty());

  ChannelSlots channelSlots;
  std::int32_t frames = 0;
  WaveImageHeader header;
  ASSERT_TRUE(ParseWaveImage(image, channelSlots, frames, header));
  EXPECT_EQ(header.formatTag, 1);
  EXPECT_EQ(header.channels, 1);
  EXPECT_EQ(header.bitsPerSample, 16);
  EXPECT_EQ(header.blockAlign, 2);
  EXPECT_EQ(header.sampleRate, tone.headerRate);
  EXPECT_EQ(header.byteRate, tone.headerRate * 2);
  EXPECT_EQ(header.riffSize, image.size() - 8);
  // A canonical image ends with its samples, and every one of them is read.
  EXPECT_EQ(image.size(), kWaveImageHeaderSize + header.dataSize);
  ASSERT_EQ(static_cast<std::uint32_t>(frames) * 2, header.dataSize);

  const std::span<const std::int16_t> samples(channelSlots[0].get(),
                                              static_cast<std::size_t>(frames));
  EXPECT_NEAR(PeakOf(samples), kPeak, 1);

  double sum = 0.0;
  for (std::int16_t s : samples) sum += s;
  EXPECT_LT(std::abs(sum / frames), 16.0) << "DC offset";

  // A large first or last sample is heard as a click.
  EXPECT_LT(std::abs(samples.front()), 256);
  EXPECT_EQ(samples.back(), 0);
  EXPECT_LT(PeakOf(samples.last(kPlaybackRate / 500)), 256) << "no fade-out in the last 2 ms";

  // The strike is at the start, where the beat falls, not after a gap.
  EXPECT_GT(PeakOf(samples.first(kPlaybackRate / 50)), kPeak / 4) << "silent first 20 ms";
}

INSTANTIATE_TEST_SUITE_P(Tones, EmbeddedSoundsTest,
                         testing::Values(EmbeddedTone{"Claves", IDR_WAVE_CLAVES, 44100},
                                         EmbeddedTone{"HandClap", IDR_WAVE_HANDCLAP, 48000},
                                         EmbeddedTone{"Cowbell", IDR_WAVE_COWBELL, 44100}),
                         [](const testing::TestParamInfo<EmbeddedTone>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
