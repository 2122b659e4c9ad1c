#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Images and strings compiled into the executable, by resource id. A missing or unreadable
// resource gives an empty result.
// The bitmap, or its glyph alone, drawn for `scale` device pixels to a pixel (1 or 2); its
// device pixel ratio says which. Null when there is no such variant.
QPixmap LoadBitmapResource(int id, int scale = 1);
QPixmap LoadGlyphResource(int id, int scale);
QIcon LoadIconResource(int id);
// The size icons are drawn at in a dialog and in a minimised window.
inline constexpr int kIconMetric = 32;
QString LoadStringResource(int id);
