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
QString LoadStringResource(int id);
