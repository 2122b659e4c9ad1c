#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

namespace {

// How often the sound crosses zero per second: a crude pitch, enough to tell sounds apart.
double CrossingsPerSecond(std::span<const std::int16_t> samples) {
  int crossings = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
  }
  return crossings * static_cast<double>(kPlaybackRate) / static_cast<double>(samples.size());
}

std::vector<std::int16_t> Embedded(int id) {
  ChannelSlots channelSlots;
  std::int32_t frames = 0;
  WaveImageHeader header;
  if (!ParseWaveImage(res::FindResource(id, res::kTypeWave), channelSlots, frames, header) ||
      header.channels != 1)
    return {};
  return {channelSlots[0].get(), channelSlots[0].get() + frames};
}

// The beat's click: short, well under every tone yet not lost under it, and higher than
// any of them, so it is heard under the strokes and never taken for one.
TEST(EmbeddedClick, IsAShortQuietTickAboveEveryTone) {
  const std::vector<std::int16_t> click = Embedded(IDR_WAVE_CLICK);
  ASSERT_FALSE(click.empty());
  EXPECT_LE(click.size(), kPlaybackRate / 50) << "longer than 20 ms";
  EXPECT_LT(std::abs(click.front()), 64);
  EXPECT_EQ(click.back(), 0);
  const double clickRate = CrossingsPerSecond(click);
  for (int tone : {IDR_WAVE_CLAVES, IDR_WAVE_HANDCLAP, IDR_WAVE_COWBELL}) {
    SCOPED_TRACE(tone);
    const std::vector<std::int16_t> samples = Embedded(tone);
    ASSERT_FALSE(samples.empty());
    const double under = 20 * std::log10(static_cast<double>(PeakOf(samples)) / PeakOf(click));
    EXPECT_GE(under, 10.0) << "dB under the tone's peak";
    EXPECT_LE(under, 20.0) << "dB under the tone's peak";
    // The tones' strikes, over the click's length, where they are loudest.
    const auto strike = std::span(samples).first(click.size());
    EXPECT_GT(clickRate, 1.5 * CrossingsPerSecond(strike));
  }
}

}  // namespace
