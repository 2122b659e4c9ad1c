#include "tools/imagegen/IconArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <vector>

namespace {

constexpr std::array<QRgb, 15> kPalette{
    // The tile: its rim, then dark to light.
    0x14213D, 0x1F3A6E, 0x274882, 0x2F5597,
    // Wood: outline, shade, body, light, lighter, highlight.
    0x4A2511, 0x7A4420, 0xB06A30, 0xD9954F, 0xE8B26F, 0xF6CF8E,
    // The spark.
    0xFFE37A,
    // Blends over the tile: outline, outline low down, wood, spark.
    0x383649, 0x342F3F, 0x6B5959, 0x979C88};

constexpr double kUnits = 32.0;
constexpr double kTileRadius = 6.0;
const QColor kTileRim(kPalette[0]);
const QColor kTileTop(kPalette[3]);
const QColor kTileBottom(kPalette[1]);

enum class Role { kGap, kOutline, kWood, kHighlight, kSpark };

// One stroke with round caps.
struct Stroke {
  QPointF a;
  QPointF b;
  Role role;
};

QLinearGradient TileGradient() {
  QLinearGradient gradient(0, 1, 0, kUnits - 1);
  gradient.setColorAt(0, kTileTop);
  gradient.setColorAt(1, kTileBottom);
  return gradient;
}

QColor ColourOf(Role role) {
  switch (role) {
    case Role::kGap:
      return kTileBottom;
    case Role::kOutline:
      return QColor(kPalette[4]);
    case Role::kWood:
      return QColor(kPalette[6]);
    case Role::kHighlight:
      return QColor(kPalette[9]);
    case Role::kSpark:
      return QColor(kPalette[10]);
  }
  return {};
}

// Stroke widths in units; 0 leaves the stroke out. Below 32 pixels the outline gives way to
// wood and highlight, and a gap cut into the tile keeps the striking clave apart from the
// resting one.
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
void AddClave(std::vector<Stroke>& strokes, QPointF a, QPointF b) {
  strokes.push_back({a, b, Role::kOutline});
  strokes.push_back({a, b, Role::kWood});
  strokes.push_back({a - QPointF(0.5, 0.7), b - QPointF(0.5, 0.7), Role::kHighlight});
}

// The resting clave, the striking one coming down onto it from the upper right, and the
// spark flying off the point where they meet.
std::vector<Stroke> Strokes() {
  std::vector<Stroke> strokes;
  AddClave(strokes, {5.0, 23.5}, {27.0, 19.5});
  strokes.push_back({{25.5, 4.5}, {16.0, 16.0}, Role::kGap});
  AddClave(strokes, {25.5, 4.5}, {16.0, 16.0});
  const QPointF hit(13.0, 17.0);
  for (const QPointF ray : {QPointF(-1.0, 0.0), QPointF(-0.7071, -0.7071), QPointF(0.0, -1.0)})
    strokes.push_back({hit + 5.5 * ray, hit + 9.5 * ray, Role::kSpark});
  return strokes;
}

QRgb Nearest(QRgb c) {
  QRgb best = kPalette[0];
  int bestDistance = 1 << 30;
  for (const QRgb p : kPalette) {
    const int dr = qRed(c) - qRed(p);
    const int dg = qGreen(c) - qGreen(p);
    const int db = qBlue(c) - qBlue(p);
    if (const int d = dr * dr + dg * dg + db * db; d < bestDistance) {
      best = p;
      bestDistance = d;
    }
  }
  return best;
}

// Down to sixteen colours: the palette's fifteen and clear.
void Quantise(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = line[x];
      line[x] = qAlpha(c) < 128 ? 0 : (0xFF000000 | Nearest(qUnpremultiply(c)));
    }
  }
}

}  // namespace

QImage DrawIcon(int size, bool sixteenColours) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / kUnits, size / kUnits);
  QPainterPath tile;
  tile.addRoundedRect(QRectF(0, 0, kUnits, kUnits), kTileRadius, kTileRadius);
  QPainterPath inside;
  inside.addRoundedRect(QRectF(1, 1, kUnits - 2, kUnits - 2), kTileRadius - 1, kTileRadius - 1);
  painter.fillPath(tile, kTileRim);
  painter.fillPath(inside, TileGradient());
  // Nothing is drawn over the rim, so the tile keeps its edge.
  painter.setClipPath(inside);
  for (const Stroke& s : Strokes()) {
    const double width = WidthOf(s.role, size);
    if (width == 0.0) continue;
    QPen pen(s.role == Role::kGap ? QBrush(TileGradient()) : QBrush(ColourOf(s.role)), width,
             Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(s.a, s.b);
  }
  painter.end();
  if (sixteenColours) Quantise(image);
  return image;
}

QString IconSvg() {
  const auto colour = [](const QColor& c) { return c.name(QColor::HexRgb).toUpper(); };
  QString svg = QStringLiteral(
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                    "viewBox=\"0 0 32 32\">\n"
                    "  <defs>\n"
                    "    <linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
                    "      <stop offset=\"0\" stop-color=\"%1\"/>\n"
                    "      <stop offset=\"1\" stop-color=\"%2\"/>\n"
                    "    </linearGradient>\n  </defs>\n"
                    "  <rect width=\"32\" height=\"32\" rx=\"%3\" fill=\"%4\"/>\n"
                    "  <rect x=\"1\" y=\"1\" width=\"30\" height=\"30\" rx=\"%5\" "
                    "fill=\"url(#tile)\"/>\n")
                    .arg(colour(kTileTop), colour(kTileBottom))
                    .arg(kTileRadius)
                    .arg(colour(kTileRim))
                    .arg(kTileRadius - 1);
  for (const Stroke& s : Strokes()) {
    if (WidthOf(s.role, 32) == 0.0) continue;
    svg += QStringLiteral(
               "  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\" "
               "stroke-linecap=\"round\"/>\n")
               .arg(s.a.x())
               .arg(s.a.y())
               .arg(s.b.x())
               .arg(s.b.y())
               .arg(colour(ColourOf(s.role)))
               .arg(WidthOf(s.role, 32));
  }
  return svg + QStringLiteral("</svg>\n");
}
