#pragma once

#include <QPixmap>

#include "framework/OwnerDrawButton.h"
#include "framework/Wnd.h"

// An owner-drawn button whose face is one of up to four bitmaps: normal, selected
// (pressed), focused and disabled, drawn to fill the button.
class CBitmapButton : public CWnd {
 public:
  // Loads the bitmaps by resource id; 0 leaves a state without a bitmap of its own.
  bool LoadBitmaps(int normal, int selected = 0, int focused = 0, int disabled = 0);
  void Attach(QWidget* widget) override;

 private:
  void DrawItem(QPainter& painter, const QRect& rect, const OwnerDrawButton::State& state) const;

  QPixmap m_bitmap;
  QPixmap m_bitmapSel;
  QPixmap m_bitmapFocus;
  QPixmap m_bitmapDisabled;
};
