#pragma once

// The geometry of the START and STOP bitmaps, in bitmap pixels, shared by the generator that
// draws them, the button that stretches them and the tests that read them back.
namespace button_bitmap {

inline constexpr int kWidth = 42;
inline constexpr int kHeight = 34;
// Two bevel rings lie outside this inset; the focus dots run around it.
inline constexpr int kFocusInset = 4;

// Where the glyphs and their outlines may draw, pressed or not, right and bottom exclusive.
struct Box {
  int left, top, right, bottom;
};
inline constexpr Box kGlyphBox{14, 8, 31, 27};
// The rows the glyphs' colour gradient runs over.
inline constexpr double kGlyphGradientTop = 10;
inline constexpr double kGlyphGradientBottom = 24;

// A button larger than the bitmap repeats these plain columns and rows of the face.
inline constexpr int kStretchColumnBefore = 9;
inline constexpr int kStretchColumnAfter = 33;
inline constexpr int kStretchRowBefore = 5;
inline constexpr int kStretchRowAfter = 27;

static_assert(kFocusInset < kStretchColumnBefore && kStretchColumnBefore < kGlyphBox.left &&
                  kGlyphBox.right <= kStretchColumnAfter &&
                  kStretchColumnAfter < kWidth - 1 - kFocusInset,
              "a stretched column would repeat the focus dots or the glyph");
static_assert(kFocusInset < kStretchRowBefore && kStretchRowBefore < kGlyphBox.top &&
                  kGlyphBox.bottom <= kStretchRowAfter &&
                  kStretchRowAfter < kHeight - 1 - kFocusInset,
              "a stretched row would repeat the focus dots or the glyph");

}  // namespace button_bitmap
