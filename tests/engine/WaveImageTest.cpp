#include <gtest/gtest.h>

#include <vector>

#include "engine/WaveImage.h"
#include "support/WaveImageBuilder.h"

namespace {

struct Parsed {
  bool ok = false;
  ChannelSlots channelSlots;
  std::int32_t frames = -1;
  WaveImageHeader header;

  std::vector<std::int16_t> Channel(int c) const {
    return {channelSlots[c].get(), channelSlots[c].get() + frames};
  }
};

Parsed Parse(const std::vector<std::uint8_t>& image) {
  Parsed p;
  p.ok = ParseWaveImage(image, p.channelSlots, p.frames, p.header);
  return p;
}

TEST(WaveImage, Mono16BitKeepsEverySampleAndTheHeader) {
  std::vector<std::int16_t> samples(15204);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::int16_t>(i * 37 - 20000);
  samples[1] = -32768;
  samples[2] = 32767;
  const Parsed p = Parse(MakeWaveImage({}, Samples16(samples)));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.frames, 15204);
  EXPECT_EQ(p.Channel(0), samples);
  EXPECT_EQ(p.channelSlots[1], nullptr);
  EXPECT_EQ(p.header.dataSize, 30408u);
  EXPECT_EQ(p.header.channels, 1);
  EXPECT_EQ(p.header.sampleRate, 44100u);
  EXPECT_EQ(p.header.byteRate, 88200u);
  EXPECT_EQ(p.header.blockAlign, 2);
  EXPECT_EQ(p.header.riffSize, 36u + 30408u);
}

TEST(WaveImage, OddDataSizeDropsTheLastByteAndRateIsOnlyReported) {
  std::vector<std::uint8_t> data = Samples16({100, -200, 300});
  data.push_back(0x7f);
  const Parsed p = Parse(MakeWaveImage({.sampleRate = 48000}, data));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.Channel(0), (std::vector<std::int16_t>{100, -200, 300}));
  EXPECT_EQ(p.header.sampleRate, 48000u);
}

TEST(WaveImage, StereoIsDeinterleavedIntoBothSlots) {
  const Parsed p = Parse(MakeWaveImage({.channels = 2}, Samples16({1, -1, 2, -2, 3, -3})));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.frames, 3);
  EXPECT_EQ(p.Channel(0), (std::vector<std::int16_t>{1, 2, 3}));
  EXPECT_EQ(p.Channel(1), (std::vector<std::int16_t>{-1, -2, -3}));

  const Parsed eight =
      Parse(MakeWaveImage({.channels = 2, .bitsPerSample = 8}, {128, 0, 255, 129}));
  ASSERT_TRUE(eight.ok);
  EXPECT_EQ(eight.Channel(0), (std::vector<std::int16_t>{0, 127 * 256}));
  EXPECT_EQ(eight.Channel(1), (std::vector<std::int16_t>{-128 * 256, 256}));
}

TEST(WaveImage, EightBitKeepsTheWholeSoundScaledTo16Bits) {
  const Parsed p = Parse(MakeWaveImage({.bitsPerSample = 8}, {0, 64, 128, 192, 255}));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.Channel(0), (std::vector<std::int16_t>{-32768, -16384, 0, 16384, 32512}));
}

TEST(WaveImage, MalformedImagesAreRejectedWithoutAllocating) {
  const std::vector<std::uint8_t> data = Samples16({1, 2, 3, 4});
  const std::vector<std::uint8_t> canonical = MakeWaveImage({}, data);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> image;
  };
  const std::vector<Case> cases = {
      {"empty", {}},
      {"shorter than the header", {canonical.begin(), canonical.begin() + 43}},
      {"data cut short", {canonical.begin(), canonical.end() - 1}},
      {"data size beyond the image", MakeWaveImage({}, data, 0xFFFFFFFF)},
      {"no channels", MakeWaveImage({.channels = 0}, data)},
      {"three channels", MakeWaveImage({.channels = 3}, data)},
      {"24-bit", MakeWaveImage({.bitsPerSample = 24}, data)},
      {"12-bit", MakeWaveImage({.bitsPerSample = 12}, data)},
      {"not RIFF", MakeWaveImage({.riffId = "RIFX"}, data)},
      {"format chunk of another size", MakeWaveImage({.formatSize = 18}, data)},
  };
  for (const Case& c : cases) {
    Parsed p;
    p.ok = ParseWaveImage(c.image, p.channelSlots, p.frames, p.header);
    EXPECT_FALSE(p.ok) << c.what;
    EXPECT_EQ(p.channelSlots[0], nullptr) << c.what;
    EXPECT_EQ(p.channelSlots[1], nullptr) << c.what;
    EXPECT_EQ(p.frames, -1) << c.what;
  }
}

}  // namespace
