#include "tools/imagegen/Icon.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr Palette16 kPalette{
    // Transparent pixels.
    Hex(0x000000),
    // The tile: its rim, then dark to light.
    Hex(0x14213D),
    Hex(0x1F3A6E),
    Hex(0x274882),
    Hex(0x2F5597),
    // Wood: outline, shade, body, light, lighter, highlight.
    Hex(0x4A2511),
    Hex(0x7A4420),
    Hex(0xB06A30),
    Hex(0xD9954F),
    Hex(0xE8B26F),
    Hex(0xF6CF8E),
    // The spark.
    Hex(0xFFE37A),
    // Anti-aliased edges over the tile: outline, outline low down, wood, spark.
    Hex(0x383649),
    Hex(0x342F3F),
    Hex(0x6B5959),
    Hex(0x979C88),
};

// All geometry is in units of a 32 x 32 icon.
constexpr double kUnits = 32.0;
constexpr double kTileRadius = 6.0;
constexpr Rgb kTileRim = kPalette[1];
constexpr Rgb kTileTop = kPalette[4];
constexpr Rgb kTileBottom = kPalette[2];

Paint TilePaint(int size) {
  return Paint(kTileTop, kTileBottom, 1, size - 1);
}

enum class Role { kGap, kOutline, kWood, kHighlight, kSpark };

// One stroke with round caps; the raster draws it as a capsule.
struct Stroke {
  Point a;
  Point b;
  Role role;
};

Paint PaintOf(Role role, int size) {
  switch (role) {
    case Role::kGap:
      return TilePaint(size);
    case Role::kOutline:
      return kPalette[5];
    case Role::kWood:
      return kPalette[7];
    case Role::kHighlight:
      return kPalette[10];
    case Role::kSpark:
      return kPalette[11];
  }
  return kPalette[0];
}

// Stroke widths in units; 0 leaves the stroke out. At 16 pixels the widths are whole pixels,
// the outline gives way to wood and highlight, and a gap cut into the tile keeps the
// striking clave apart from the resting one.
double WidthOf(Role role, int size) {
  const bool small = size < 32;
  switch (role) {
    case Role::kGap:
      return small ? 10.0 : 0.0;
    case Role::kOutline:
      return small ? 0.0 : 5.6;
    case Role::kWood:
      return small ? 6.0 : 3.6;
    case Role::kHighlight:
      return small ? 2.0 : 1.4;
    case Role::kSpark:
      return 2.0;
  }
  return 0.0;
}

// A clave: a dark outline, the wood, and a highlight along its upper side.
void AddClave(std::vector<Stroke>& strokes, Point a, Point b) {
  strokes.push_back({a, b, Role::kOutline});
  strokes.push_back({a, b, Role::kWood});
  strokes.push_back({{a.x - 0.5, a.y - 0.7}, {b.x - 0.5, b.y - 0.7}, Role::kHighlight});
}

// The resting clave, the striking one coming down onto it from the upper right, and the
// spark flying off the point where they meet.
std::vector<Stroke> Strokes() {
  std::vector<Stroke> strokes;
  AddClave(strokes, {5.0, 23.5}, {27.0, 19.5});
  strokes.push_back({{25.5, 4.5}, {16.0, 16.0}, Role::kGap});
  AddClave(strokes, {25.5, 4.5}, {16.0, 16.0});
  constexpr Point kHit{13.0, 17.0};
  for (const Point& ray : {Point{-1.0, 0.0}, Point{-0.7071, -0.7071}, Point{0.0, -1.0}}) {
    strokes.push_back({{kHit.x + 5.5 * ray.x, kHit.y + 5.5 * ray.y},
                       {kHit.x + 9.5 * ray.x, kHit.y + 9.5 * ray.y},
                       Role::kSpark});
  }
  return strokes;
}

std::uint8_t NearestIndex(Rgb c) {
  std::uint8_t best = 1;
  int bestDistance = 1 << 30;
  for (std::uint8_t i = 1; i < kPalette.size(); ++i) {
    const int dr = c.r - kPalette[i].r;
    const int dg = c.g - kPalette[i].g;
    const int db = c.b - kPalette[i].b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace

const Palette16& IconPalette() {
  return kPalette;
}

IndexedImage DrawIcon(int size) {
  const double scale = size / kUnits;
  // Sixteen colours cannot shade a small icon's edges; there, pixels are either in or out.
  const Canvas::Edges edges = size < 32 ? Canvas::Edges::kHard : Canvas::Edges::kSmooth;
  Canvas canvas(size, size, kPalette[0]);
  const Shape tile = RoundedRect(0, 0, size, size, kTileRadius * scale);
  const Shape inside = Grow(tile, -1.0);
  canvas.Fill(tile, kTileRim);
  canvas.Fill(inside, TilePaint(size));
  for (const Stroke& s : Strokes()) {
    const double width = WidthOf(s.role, size);
    if (width == 0.0) continue;
    const Shape stroke =
        Capsule({s.a.x * scale, s.a.y * scale}, {s.b.x * scale, s.b.y * scale}, width * scale / 2);
    // Nothing is drawn over the rim, so the tile keeps its edge.
    canvas.Fill(Intersection(stroke, inside), PaintOf(s.role, size), edges);
  }
  IndexedImage image{size, {}, {}};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool opaque = Coverage(tile, x, y) >= 0.5;
      image.opaque.push_back(opaque);
      image.indices.push_back(opaque ? NearestIndex(canvas.Get(x, y)) : 0);
    }
  }
  return image;
}

std::string IconSvg() {
  const auto colour = [](Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
    return std::string(text);
  };
  char line[256];
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
      "viewBox=\"0 0 32 32\">\n"
      "  <defs>\n"
      "    <linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n";
  svg += "      <stop offset=\"0\" stop-color=\"" + colour(kTileTop) + "\"/>\n";
  svg += "      <stop offset=\"1\" stop-color=\"" + colour(kTileBottom) + "\"/>\n";
  svg += "    </linearGradient>\n  </defs>\n";
  std::snprintf(
      line, sizeof line,
      "  <rect width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"%s\"/>\n"
      "  <rect x=\"1\" y=\"1\" width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"url(#tile)\"/>\n",
      kUnits, kUnits, kTileRadius, colour(kTileRim).c_str(), kUnits - 2, kUnits - 2,
      kTileRadius - 1);
  svg += line;
  for (const Stroke& s : Strokes()) {
    if (WidthOf(s.role, 32) == 0.0) continue;
    std::snprintf(line, sizeof line,
                  "  <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" "
                  "stroke-width=\"%g\" stroke-linecap=\"round\"/>\n",
                  s.a.x, s.a.y, s.b.x, s.b.y, colour(PaintOf(s.role, 32).top).c_str(),
                  WidthOf(s.role, 32));
    svg += line;
  }
  svg += "</svg>\n";
  return svg;
}
