#include "framework/BitmapButton.h"

#include <QPainter>

#include "framework/ResourceLoader.h"

bool CBitmapButton::LoadBitmaps(int normal, int selected, int focused, int disabled) {
  m_bitmap = LoadBitmapResource(normal);
  m_bitmapSel = selected != 0 ? LoadBitmapResource(selected) : QPixmap();
  m_bitmapFocus = focused != 0 ? LoadBitmapResource(focused) : QPixmap();
  m_bitmapDisabled = disabled != 0 ? LoadBitmapResource(disabled) : QPixmap();
  if (m_hWnd != nullptr) m_hWnd->update();
  return !m_bitmap.isNull();
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
  const QPixmap* bitmap = &m_bitmap;
  if (state.selected && !m_bitmapSel.isNull()) {
    bitmap = &m_bitmapSel;
  } else if (state.focused && !m_bitmapFocus.isNull()) {
    bitmap = &m_bitmapFocus;
  } else if (state.disabled && !m_bitmapDisabled.isNull()) {
    bitmap = &m_bitmapDisabled;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(rect, *bitmap);
}
