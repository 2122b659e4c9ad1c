// The generated button bitmaps and icon, as the windows decode them.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <array>

#include "framework/ResourceLoader.h"
#include "res/Resources.h"

namespace {

bool IsGrey(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() != c.green() || c.green() != c.blue()) return false;
    }
  }
  return true;
}

// The ids are easy to mix up: a wrong one shows as a grey face where colour belongs, a
// raised bevel on the pressed state, or two states drawn alike.
TEST(GeneratedImages, ButtonBitmapsDecodeAndEachStateLooksItsOwn) {
  constexpr std::array<std::array<int, 4>, 2> kButtons = {{
      {131, 134, 133, 132},  // START: normal, selected, focused, disabled
      {147, 148, 146, 145},  // STOP
  }};
  for (const auto& ids : kButtons) {
    std::array<QImage, 4> states;
    for (int s = 0; s < 4; ++s) {
      SCOPED_TRACE(ids[s]);
      states[s] = LoadBitmapResource(ids[s]).toImage();
      ASSERT_EQ(states[s].size(), QSize(42, 34));
      EXPECT_EQ(IsGrey(states[s]), s == 3) << "only the disabled state is all grey";
    }
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) EXPECT_NE(states[a], states[b]) << ids[a] << " " << ids[b];
    }
    // Lit from the top left: a raised button is light there, a pressed one dark.
    EXPECT_LT(states[1].pixelColor(0, 0).lightness(), states[0].pixelColor(0, 0).lightness());
  }
}

TEST(GeneratedImages, IconHoldsA16And32PixelSixteenColourImage) {
  const res::Bytes ico = res::FindResource(128, res::kTypeIcon);
  QByteArray bytes(reinterpret_cast<const char*>(ico.data()), static_cast<qsizetype>(ico.size()));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "ICO");
  ASSERT_EQ(reader.imageCount(), 2);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(reader.jumpToImage(i));
    const QImage image = reader.read();
    EXPECT_EQ(image.size(), QSize(16 << i, 16 << i));
    // Each image's directory entry says 4 bits per pixel.
    EXPECT_EQ(ico[6 + 16 * i + 6], 4);
  }
}

}  // namespace
