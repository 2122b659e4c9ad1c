#include "framework/BitmapButton.h"

#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionButton>
#include <vector>

#include "framework/ResourceLoader.h"
#include "res/ButtonBitmap.h"

namespace {

// A stretch of the bitmap along one axis: `length` pixels from `from`, or, when `repeat` is
// set, the two pixels at `from` repeated over `length`. Two pixels keep the focus dots'
// alternation.
struct Span {
  int from;
  int length;
  bool repeat = false;
};

// The bitmap's spans for a button `size` pixels long: the plain face is extended at two
// places, before the glyph and after it, each taking half of what is missing.
std::vector<Span> SpansFor(int bitmap, int size, int before, int after) {
  if (size <= bitmap) return {{0, bitmap}};
  const int extra = size - bitmap;
  return {{0, before},
          {before, extra / 2, true},
          {before, after - before},
          {after, extra - extra / 2, true},
          {after, bitmap - after}};
}

void DrawExtended(QPainter& painter, const QRect& rect, const QPixmap& bitmap, int scale) {
  const QSize size = bitmap.size() / scale;
  using namespace button_bitmap;
  const auto columns =
      SpansFor(size.width(), rect.width(), kStretchColumnBefore, kStretchColumnAfter);
  const auto rows = SpansFor(size.height(), rect.height(), kStretchRowBefore, kStretchRowAfter);
  int y = rect.y();
  for (const Span& row : rows) {
    int x = rect.x();
    for (const Span& column : columns) {
      for (int dy = 0; dy < row.length; dy += row.repeat ? 2 : row.length) {
        for (int dx = 0; dx < column.length; dx += column.repeat ? 2 : column.length) {
          const int w = column.repeat ? std::min(2, column.length - dx) : column.length;
          const int h = row.repeat ? std::min(2, row.length - dy) : row.length;
          painter.drawPixmap(QRect(x + dx, y + dy, w, h), bitmap,
                             QRect(column.from * scale, row.from * scale, w * scale, h * scale));
        }
      }
      x += column.length;
    }
    y += row.length;
  }
}

bool IsDark(const QPalette& palette) {
  return palette.color(QPalette::Button).lightness() < 128;
}

}  // namespace

CBitmapButton::Face CBitmapButton::LoadFace(int id) {
  if (id == 0) return {};
  return {id, LoadBitmapResource(id, 1), std::nullopt, {}};
}

const QPixmap& CBitmapButton::Face::Bitmap(int scale) const {
  if (scale == 1) return bitmap;
  if (!bitmap2x) bitmap2x = LoadBitmapResource(id, 2);
  return *bitmap2x;
}

const QPixmap& CBitmapButton::Face::Glyph(int scale) const {
  std::optional<QPixmap>& g = glyph[scale - 1];
  if (!g) g = LoadGlyphResource(id, scale);
  return *g;
}

bool CBitmapButton::LoadBitmaps(int normal, int selected, int focused, int disabled) {
  m_bitmap = LoadFace(normal);
  m_bitmapSel = LoadFace(selected);
  m_bitmapFocus = LoadFace(focused);
  m_bitmapDisabled = LoadFace(disabled);
  if (m_hWnd != nullptr) m_hWnd->update();
  return m_bitmap.Loaded();
}

void CBitmapButton::Attach(QWidget* widget) {
  CWnd::Attach(widget);
  if (auto* button = dynamic_cast<OwnerDrawButton*>(widget)) {
    button->SetDrawItem(
        [this](QPainter& painter, const QRect& rect, const OwnerDrawButton::State& state) {
          DrawItem(painter, rect, state);
        });
  }
}

void CBitmapButton::DrawItem(QPainter& painter, const QRect& rect,
                             const OwnerDrawButton::State& state) const {
  const Face* face = &m_bitmap;
  if (state.selected && m_bitmapSel.Loaded()) {
    face = &m_bitmapSel;
  } else if (state.focused && m_bitmapFocus.Loaded()) {
    face = &m_bitmapFocus;
  } else if (state.disabled && m_bitmapDisabled.Loaded()) {
    face = &m_bitmapDisabled;
  }
  if (!face->Loaded()) return;
  // What is painted on in the end (the window's backing store, or an image the widget is
  // rendered into) says how many device pixels make a pixel.
  const QPaintDevice* target =
      painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice() : painter.device();
  const int scale = target->devicePixelRatioF() >= 1.5 && !face->Bitmap(2).isNull() ? 2 : 1;
  const QWidget* widget = m_hWnd;
  if (widget == nullptr || !IsDark(widget->palette()) || face->Glyph(scale).isNull()) {
    DrawExtended(painter, rect, face->Bitmap(scale), scale);
    return;
  }
  QStyleOptionButton option;
  option.initFrom(widget);
  option.rect = rect;
  option.state |= state.selected ? QStyle::State_Sunken : QStyle::State_Raised;
  if (state.focused) option.state |= QStyle::State_HasFocus;
  widget->style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
  if (state.focused) {
    QStyleOptionFocusRect focus;
    focus.initFrom(widget);
    focus.rect = rect.adjusted(4, 4, -4, -4);
    widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, widget);
  }
  const QPixmap& glyph = face->Glyph(scale);
  const QSize size = glyph.size() / scale;
  painter.drawPixmap(QRect(rect.topLeft() + QPoint((rect.width() - size.width()) / 2,
                                                   (rect.height() - size.height()) / 2),
                           size),
                     glyph);
}
