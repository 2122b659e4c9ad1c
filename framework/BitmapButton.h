#pragma once

#include <QPixmap>
#include <array>
#include <optional>

#include "framework/OwnerDrawButton.h"
#include "framework/Wnd.h"

// An owner-drawn button whose face is one of up to four bitmaps: normal, selected
// (pressed), focused and disabled.
//
// Each is drawn pixel for pixel: on a screen of two device pixels to a pixel, from the
// bitmap's double. Where the button is larger than its bitmap, the bitmap's plain face is
// extended on either side of the glyph, so the button keeps one bevel around its whole
// rectangle and the glyph its size. Under a dark palette the face is the style's own
// button in the palette's colours, and only the bitmap's glyph is drawn on it.
class CBitmapButton : public CWnd {
 public:
  // Loads the bitmaps by resource id; 0 leaves a state without a bitmap of its own.
  bool LoadBitmaps(int normal, int selected = 0, int focused = 0, int disabled = 0);
  void Attach(QWidget* widget) override;

 private:
  // One state's bitmap, and on demand its double and its glyph alone at 1x and 2x: only a
  // high-density screen or a dark palette asks for those.
  struct Face {
    int id = 0;
    QPixmap bitmap;
    mutable std::optional<QPixmap> bitmap2x;
    mutable std::array<std::optional<QPixmap>, 2> glyph;

    bool Loaded() const { return !bitmap.isNull(); }
    const QPixmap& Bitmap(int scale) const;
    const QPixmap& Glyph(int scale) const;
  };
  static Face LoadFace(int id);
  void DrawItem(QPainter& painter, const QRect& rect, const OwnerDrawButton::State& state) const;

  Face m_bitmap;
  Face m_bitmapSel;
  Face m_bitmapFocus;
  Face m_bitmapDisabled;
};
