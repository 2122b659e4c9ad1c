#include "tools/imagegen/ButtonArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>

namespace {

struct Bevel {
  QColor outerLight;
  QColor innerLight;
  QColor innerShadow;
  QColor outerShadow;
};

const Bevel kRaised{QColor(0xFFFFFF), QColor(0xF7F7F7), QColor(0xA9A9A9), QColor(0x595959)};
const Bevel kSunken{QColor(0x595959), QColor(0x9C9C9C), QColor(0xE4E4E4), QColor(0xFFFFFF)};

struct GlyphColours {
  QColor edge;
  QColor top;
  QColor bottom;
};

const GlyphColours kPlayColours{QColor(0x1B6A2A), QColor(0x63D472), QColor(0x2B9C3C)};
const GlyphColours kStopColours{QColor(0x8A1E18), QColor(0xF26A61), QColor(0xC2322B)};
const QColor kDisabledGlyph(0xA2A2A2);
const QColor kEmboss(0xFFFFFF);
const QColor kFocusDots(0x2C2C2C);
// Pressed glyphs are mixed this far towards black, as if in the button's shadow.
constexpr double kPressedDarkening = 0.15;

QColor Darkened(const QColor& c) {
  const double keep = 1.0 - kPressedDarkening;
  return QColor::fromRgbF(static_cast<float>(c.redF() * keep),
                          static_cast<float>(c.greenF() * keep),
                          static_cast<float>(c.blueF() * keep));
}

QImage Canvas(int scale, QImage::Format format, const QColor& fill) {
  QImage image(kButtonSize * scale, format);
  image.fill(fill);
  return image;
}

// One ring of the bevel: light along the top and left, shadow along the bottom and right,
// the shadow taking the two corners it shares with the light.
void DrawRing(QPainter& painter, int inset, const QColor& light, const QColor& shadow) {
  const int right = kButtonSize.width() - 1 - inset;
  const int bottom = kButtonSize.height() - 1 - inset;
  painter.fillRect(inset, inset, right - inset, 1, light);
  painter.fillRect(inset, inset, 1, bottom - inset, light);
  painter.fillRect(inset, bottom, right - inset + 1, 1, shadow);
  painter.fillRect(right, inset, 1, bottom - inset + 1, shadow);
}

// Alternate pixels, like the focus rectangle of the desktop's own buttons.
void DrawFocusDots(QPainter& painter, int inset) {
  const int right = kButtonSize.width() - 1 - inset;
  const int bottom = kButtonSize.height() - 1 - inset;
  for (int y = inset; y <= bottom; ++y) {
    for (int x = inset; x <= right; ++x) {
      const bool onEdge = x == inset || x == right || y == inset || y == bottom;
      if (onEdge && (x + y) % 2 == 0) painter.fillRect(x, y, 1, 1, kFocusDots);
    }
  }
}

// A face lit from above; when pressed, the lighting flips and the face sinks into shade.
QBrush FaceBrush(ButtonState state) {
  if (state == ButtonState::kDisabled) return QColor(0xE0E0E0);
  QLinearGradient gradient(0, 2, 0, kButtonSize.height() - 2);
  const bool pressed = state == ButtonState::kSelected;
  gradient.setColorAt(0, pressed ? QColor(0xC6C6C6) : QColor(0xF0F0F0));
  gradient.setColorAt(1, pressed ? QColor(0xD4D4D4) : QColor(0xD2D2D2));
  return gradient;
}

// The path widened by `by` on every side, corners rounded.
QPainterPath Grown(const QPainterPath& path, double by) {
  QPainterPathStroker stroker;
  stroker.setWidth(2 * by);
  stroker.setJoinStyle(Qt::RoundJoin);
  return path.united(stroker.createStroke(path)).simplified();
}

// The glyph's filled body, centred optically on the face.
QPainterPath GlyphBody(Glyph glyph) {
  QPainterPath body;
  if (glyph == Glyph::kPlay) {
    body.addPolygon(QPolygonF({{15.8, 10.2}, {15.8, 23.8}, {27.6, 17}, {15.8, 10.2}}));
    return Grown(body, 0.8);
  }
  body.addRoundedRect(QRectF(15, 11, 12, 12), 1.5, 1.5);
  return body;
}

void PaintGlyph(QPainter& painter, Glyph glyph, ButtonState state) {
  const QPainterPath body = GlyphBody(glyph);
  const QPainterPath outline = Grown(body, 1.0);
  painter.setPen(Qt::NoPen);
  if (state == ButtonState::kDisabled) {
    painter.fillPath(outline.translated(1, 1), kEmboss);
    painter.fillPath(outline, kDisabledGlyph);
    return;
  }
  GlyphColours colours = glyph == Glyph::kPlay ? kPlayColours : kStopColours;
  double shift = 0.0;
  if (state == ButtonState::kSelected) {
    shift = 1.0;
    colours = {Darkened(colours.edge), Darkened(colours.top), Darkened(colours.bottom)};
  }
  painter.fillPath(outline.translated(shift, shift), colours.edge);
  QLinearGradient gradient(0, button_bitmap::kGlyphGradientTop + shift, 0,
                           button_bitmap::kGlyphGradientBottom + shift);
  gradient.setColorAt(0, colours.top);
  gradient.setColorAt(1, colours.bottom);
  painter.fillPath(body.translated(shift, shift), gradient);
}

}  // namespace

QImage DrawButton(Glyph glyph, ButtonState state, int scale) {
  QImage image = Canvas(scale, QImage::Format_RGB32, Qt::black);
  QPainter painter(&image);
  painter.scale(scale, scale);
  painter.fillRect(QRect(QPoint(0, 0), kButtonSize), FaceBrush(state));
  const Bevel& bevel = state == ButtonState::kSelected ? kSunken : kRaised;
  DrawRing(painter, 0, bevel.outerLight, bevel.outerShadow);
  DrawRing(painter, 1, bevel.innerLight, bevel.innerShadow);
  if (state == ButtonState::kFocused) DrawFocusDots(painter, button_bitmap::kFocusInset);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintGlyph(painter, glyph, state);
  return image;
}

QImage DrawGlyph(Glyph glyph, ButtonState state, int scale) {
  QImage image = Canvas(scale, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
  QPainter painter(&image);
  painter.scale(scale, scale);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintGlyph(painter, glyph, state);
  return image;
}
