#include "tools/imagegen/Buttons.h"

namespace {

struct Bevel {
  Rgb outerLight;
  Rgb innerLight;
  Rgb innerShadow;
  Rgb outerShadow;
};

constexpr Bevel kRaised{Hex(0xFFFFFF), Hex(0xF7F7F7), Hex(0xA9A9A9), Hex(0x595959)};
constexpr Bevel kSunken{Hex(0x595959), Hex(0x9C9C9C), Hex(0xE4E4E4), Hex(0xFFFFFF)};

struct GlyphColours {
  Rgb edge;
  Rgb top;
  Rgb bottom;
};

constexpr GlyphColours kPlayColours{Hex(0x1B6A2A), Hex(0x63D472), Hex(0x2B9C3C)};
constexpr GlyphColours kStopColours{Hex(0x8A1E18), Hex(0xF26A61), Hex(0xC2322B)};
constexpr Rgb kDisabledGlyph = Hex(0xA2A2A2);
constexpr Rgb kEmboss = Hex(0xFFFFFF);
constexpr Rgb kFocusDots = Hex(0x2C2C2C);
// Pressed glyphs are mixed this far towards black, as if in the button's shadow.
constexpr double kPressedDarkening = 0.15;

// One ring of the bevel: light along the top and left, shadow along the bottom and right,
// the shadow taking the two corners it shares with the light.
void DrawRing(Canvas& canvas, int inset, Rgb light, Rgb shadow) {
  const int right = canvas.width() - 1 - inset;
  const int bottom = canvas.height() - 1 - inset;
  for (int x = inset; x < right; ++x) canvas.Set(x, inset, light);
  for (int y = inset; y < bottom; ++y) canvas.Set(inset, y, light);
  for (int x = inset; x <= right; ++x) canvas.Set(x, bottom, shadow);
  for (int y = inset; y <= bottom; ++y) canvas.Set(right, y, shadow);
}

// Alternate pixels, like the focus rectangle of the desktop's own buttons.
void DrawFocusRect(Canvas& canvas, int inset) {
  const int right = canvas.width() - 1 - inset;
  const int bottom = canvas.height() - 1 - inset;
  for (int y = inset; y <= bottom; ++y) {
    for (int x = inset; x <= right; ++x) {
      const bool onEdge = x == inset || x == right || y == inset || y == bottom;
      if (onEdge && (x + y) % 2 == 0) canvas.Set(x, y, kFocusDots);
    }
  }
}

// Both glyphs span these rows; their gradient runs over them.
constexpr double kGlyphTop = 10;
constexpr double kGlyphBottom = 24;

// A face lit from above; when pressed, the lighting flips and the face sinks into shade.
Paint FacePaint(ButtonState state) {
  constexpr double kTop = 2;
  constexpr double kBottom = kButtonHeight - 2;
  switch (state) {
    case ButtonState::kSelected:
      return Paint(Hex(0xC6C6C6), Hex(0xD4D4D4), kTop, kBottom);
    case ButtonState::kDisabled:
      return Hex(0xE0E0E0);
    case ButtonState::kNormal:
    case ButtonState::kFocused:
      break;
  }
  return Paint(Hex(0xF0F0F0), Hex(0xD2D2D2), kTop, kBottom);
}

// The glyph's filled body, centred optically on the face.
Shape GlyphBody(Glyph glyph) {
  if (glyph == Glyph::kPlay) return Grow(Polygon({{15.8, 10.2}, {15.8, 23.8}, {27.6, 17}}), 0.8);
  return RoundedRect(15, 11, 27, 23, 1.5);
}

void DrawGlyph(Canvas& canvas, Glyph glyph, ButtonState state) {
  const Shape body = GlyphBody(glyph);
  const Shape outline = Grow(body, 1.0);
  if (state == ButtonState::kDisabled) {
    canvas.Fill(Moved(outline, 1, 1), kEmboss);
    canvas.Fill(outline, kDisabledGlyph);
    return;
  }
  GlyphColours colours = glyph == Glyph::kPlay ? kPlayColours : kStopColours;
  double shift = 0.0;
  if (state == ButtonState::kSelected) {
    shift = 1.0;
    for (Rgb* c : {&colours.edge, &colours.top, &colours.bottom}) {
      *c = Mix(*c, Hex(0x000000), kPressedDarkening);
    }
  }
  canvas.Fill(Moved(outline, shift, shift), colours.edge);
  canvas.Fill(Moved(body, shift, shift),
              Paint(colours.top, colours.bottom, kGlyphTop + shift, kGlyphBottom + shift));
}

}  // namespace

Canvas DrawButton(Glyph glyph, ButtonState state) {
  Canvas canvas(kButtonWidth, kButtonHeight, Rgb{});
  canvas.Fill(RoundedRect(0, 0, kButtonWidth, kButtonHeight, 0), FacePaint(state));
  const Bevel& bevel = state == ButtonState::kSelected ? kSunken : kRaised;
  DrawRing(canvas, 0, bevel.outerLight, bevel.outerShadow);
  DrawRing(canvas, 1, bevel.innerLight, bevel.innerShadow);
  if (state == ButtonState::kFocused) DrawFocusRect(canvas, 4);
  DrawGlyph(canvas, glyph, state);
  return canvas;
}
