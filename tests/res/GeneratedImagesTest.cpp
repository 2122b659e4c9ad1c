#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "res/Resources.h"

namespace {

std::uint32_t Le(res::Bytes bytes, std::size_t offset, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[offset + i];
  return value;
}

struct Pixel {
  int r, g, b;
};

constexpr std::size_t kBmpHeaderSize = 54;
constexpr std::size_t kBmpStride = 128;  // 42 pixels of 3 bytes, padded to 4
constexpr std::size_t kBmpHeight = 34;

testing::AssertionResult IsButtonBitmap(res::Bytes bmp) {
  if (bmp.size() < kBmpHeaderSize) return testing::AssertionFailure() << bmp.size() << " bytes";
  const struct {
    const char* what;
    std::size_t actual;
    std::size_t expected;
  } fields[] = {
      {"magic", Le(bmp, 0, 2), 0x4D42},  // "BM"
      {"file size", Le(bmp, 2, 4), bmp.size()},
      {"info header size", Le(bmp, 14, 4), 40},
      {"width", Le(bmp, 18, 4), 42},
      {"height, positive for bottom-up", Le(bmp, 22, 4), kBmpHeight},
      {"bits per pixel", Le(bmp, 28, 2), 24},
      {"compression", Le(bmp, 30, 4), 0},
      // Every row the header promises lies inside the file, and nothing follows them.
      {"end of the rows", Le(bmp, 10, 4) + kBmpStride * kBmpHeight, bmp.size()},
  };
  for (const auto& f : fields) {
    if (f.actual != f.expected) {
      return testing::AssertionFailure() << f.what << " is " << f.actual << ", not " << f.expected;
    }
  }
  return testing::AssertionSuccess();
}

Pixel At(res::Bytes bmp, std::size_t x, std::size_t yFromTop) {
  const std::size_t i = Le(bmp, 10, 4) + (kBmpHeight - 1 - yFromTop) * kBmpStride + 3 * x;
  return {bmp[i + 2], bmp[i + 1], bmp[i]};
}

bool IsGrey(res::Bytes bmp) {
  for (std::size_t y = 0; y < kBmpHeight; ++y) {
    for (std::size_t x = 0; x < 42; ++x) {
      const Pixel p = At(bmp, x, y);
      if (p.r != p.g || p.g != p.b) return false;
    }
  }
  return true;
}

// The glyph's colour (green START, red STOP) shows somewhere in the middle row.
bool ShowsGlyphColour(res::Bytes bmp, bool green) {
  for (std::size_t x = 0; x < 42; ++x) {
    const Pixel p = At(bmp, x, kBmpHeight / 2);
    const int own = green ? p.g : p.r;
    const int other = green ? p.r : p.g;
    if (own > other + 64 && own > p.b + 64) return true;
  }
  return false;
}

struct Button {
  std::string name;
  std::array<int, 4> ids;  // normal, selected, focused, disabled
  bool green;
};

// The ids are easy to mix up: a wrong one shows as a grey face where colour belongs, a
// raised bevel on the pressed state, or two states drawn alike.
TEST(GeneratedImages, ButtonBitmapsAreValidAndEachStateLooksItsOwn) {
  constexpr const char* kStates[] = {"normal", "selected", "focused", "disabled"};
  for (const Button& button :
       {Button{"START", {131, 134, 133, 132}, true}, Button{"STOP", {147, 148, 146, 145}, false}}) {
    std::array<res::Bytes, 4> states;
    for (int s = 0; s < 4; ++s) {
      SCOPED_TRACE(button.name + " " + kStates[s]);
      states[s] = res::FindResource(button.ids[s], res::kTypeBitmap);
      ASSERT_TRUE(IsButtonBitmap(states[s]));
      EXPECT_EQ(IsGrey(states[s]), s == 3) << "only the disabled state is all grey";
      EXPECT_EQ(ShowsGlyphColour(states[s], button.green), s != 3) << "glyph colour";
    }
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) {
        EXPECT_FALSE(std::ranges::equal(states[a], states[b]))
            << button.name << " " << kStates[a] << " and " << kStates[b] << " are the same";
      }
    }
    // Lit from the top left: a raised button is light there, a pressed one dark.
    EXPECT_LT(At(states[1], 0, 0).r, At(states[0], 0, 0).r) << button.name << " pressed";
  }
}

TEST(GeneratedImages, IconHoldsA16And32PixelSixteenColourImage) {
  const res::Bytes ico = res::FindResource(128, res::kTypeIcon);
  constexpr std::size_t kDirectoryEnd = 6 + 2 * 16;
  ASSERT_GE(ico.size(), kDirectoryEnd);
  EXPECT_EQ(Le(ico, 0, 2), 0u);
  EXPECT_EQ(Le(ico, 2, 2), 1u) << "an icon, not a cursor";
  ASSERT_EQ(Le(ico, 4, 2), 2u);

  // The 16-pixel image comes first, in the directory and in the file.
  std::size_t previousEnd = kDirectoryEnd;
  for (std::uint32_t size : {16u, 32u}) {
    SCOPED_TRACE(std::to_string(size) + " pixels");
    const std::size_t entry = size == 16 ? 6 : 22;
    EXPECT_EQ(ico[entry], size);
    EXPECT_EQ(ico[entry + 1], size);
    EXPECT_EQ(Le(ico, entry + 6, 2), 4u) << "bits per pixel";
    const std::uint32_t bytes = Le(ico, entry + 8, 4);
    const std::uint32_t offset = Le(ico, entry + 12, 4);
    // Colour rows of 4 bits and mask rows of 1 bit, each padded to 4 bytes.
    const std::uint32_t rows = (size / 2 + 3) / 4 * 4 + (size / 8 + 3) / 4 * 4;
    EXPECT_EQ(bytes, 40 + 16 * 4 + rows * size);
    ASSERT_GE(offset, previousEnd) << "overlaps the directory or the other image";
    ASSERT_LE(std::size_t{offset} + bytes, ico.size());
    previousEnd = offset + bytes;

    EXPECT_EQ(Le(ico, offset, 4), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(Le(ico, offset + 4, 4), size);
    EXPECT_EQ(Le(ico, offset + 8, 4), 2 * size) << "colour rows and mask rows";
    EXPECT_EQ(Le(ico, offset + 14, 2), 4u);
  }
  EXPECT_EQ(previousEnd, ico.size());
}

}  // namespace
