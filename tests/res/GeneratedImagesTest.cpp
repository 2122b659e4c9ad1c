// The generated button bitmaps and icon, as the windows decode them.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <array>
#include <cstdlib>

#include "framework/ResourceLoader.h"
#include "res/ButtonBitmap.h"
#include "res/ResourceIds.h"
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

// A state drawn with another's design shows as a grey face where colour belongs, a raised
// bevel on the pressed state, or two states drawn alike.
TEST(GeneratedImages, ButtonBitmapsDecodeAndEachStateLooksItsOwn) {
  constexpr std::array<std::array<int, 4>, 2> kButtons = {
      {{IDB_START_NORMAL, IDB_START_SELECTED, IDB_START_FOCUSED, IDB_START_DISABLED},
       {IDB_STOP_NORMAL, IDB_STOP_SELECTED, IDB_STOP_FOCUSED, IDB_STOP_DISABLED}}};
  for (const auto& ids : kButtons) {
    std::array<QImage, 4> states;
    for (int s = 0; s < 4; ++s) {
      SCOPED_TRACE(ids[s]);
      states[s] = LoadBitmapResource(ids[s]).toImage();
      ASSERT_EQ(states[s].size(), QSize(button_bitmap::kWidth, button_bitmap::kHeight));
      EXPECT_EQ(IsGrey(states[s]), s == 3) << "only the disabled state is all grey";
    }
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) EXPECT_NE(states[a], states[b]) << ids[a] << " " << ids[b];
    }
    // Lit from the top left: a raised button is light there, a pressed one dark.
    EXPECT_LT(states[1].pixelColor(0, 0).lightness(), states[0].pixelColor(0, 0).lightness());
  }
}

// Qt writes icon images with 32 bits per pixel; the images themselves keep to sixteen
// colours, transparency being one of them.
TEST(GeneratedImages, IconHolds16And32PixelsAndThe32sDoubleInSixteenColours) {
  const res::Bytes ico = res::FindResource(IDR_MAINFRAME, res::kTypeIcon);
  QByteArray bytes(reinterpret_cast<const char*>(ico.data()), static_cast<qsizetype>(ico.size()));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "ICO");
  ASSERT_EQ(reader.imageCount(), 3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(reader.jumpToImage(i));
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QSize(16 << i, 16 << i));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb c = image.pixel(x, y);
        EXPECT_TRUE(qAlpha(c) == 0 || qAlpha(c) == 255) << x << "," << y;
        colours.insert(qAlpha(c) == 0 ? 0 : c);
      }
    }
    EXPECT_LE(colours.size(), 16) << image.width();
  }
}

// The doubles are the same designs at twice the size: box-filtered down, each comes within a
// few levels of its 1x bitmap, so no id or state is swapped between the two.
TEST(GeneratedImages, EachBitmapsDoubleIsTheSameDesign) {
  for (int id : {IDB_START_NORMAL, IDB_START_DISABLED, IDB_START_FOCUSED, IDB_START_SELECTED,
                 IDB_STOP_DISABLED, IDB_STOP_FOCUSED, IDB_STOP_NORMAL, IDB_STOP_SELECTED}) {
    SCOPED_TRACE(id);
    const QImage one = LoadBitmapResource(id, 1).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage two = LoadBitmapResource(id, 2).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(two.size(), one.size() * 2);
    double difference = 0;
    for (int y = 0; y < one.height(); ++y) {
      for (int x = 0; x < one.width(); ++x) {
        int sum = 0;
        for (int d = 0; d < 4; ++d) sum += qGray(two.pixel(2 * x + d % 2, 2 * y + d / 2));
        difference += std::abs(sum / 4 - qGray(one.pixel(x, y)));
      }
    }
    EXPECT_LT(difference / (one.width() * one.height()), 4.0);
  }
}

// The button stretches its bitmap by repeating columns and rows it takes to be plain face;
// a glyph reaching past its box would be repeated with them.
TEST(GeneratedImages, GlyphsStayInsideTheirBox) {
  using button_bitmap::kGlyphBox;
  for (int id : {IDB_START_NORMAL, IDB_START_DISABLED, IDB_START_FOCUSED, IDB_START_SELECTED,
                 IDB_STOP_DISABLED, IDB_STOP_FOCUSED, IDB_STOP_NORMAL, IDB_STOP_SELECTED}) {
    SCOPED_TRACE(id);
    const QImage glyph = LoadGlyphResource(id, 1).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(glyph.size(), QSize(button_bitmap::kWidth, button_bitmap::kHeight));
    int outside = 0;
    for (int y = 0; y < glyph.height(); ++y) {
      for (int x = 0; x < glyph.width(); ++x) {
        const bool inside = x >= kGlyphBox.left && x < kGlyphBox.right && y >= kGlyphBox.top &&
                            y < kGlyphBox.bottom;
        if (!inside && qAlpha(glyph.pixel(x, y)) != 0) ++outside;
      }
    }
    EXPECT_EQ(outside, 0);
  }
}

}  // namespace
