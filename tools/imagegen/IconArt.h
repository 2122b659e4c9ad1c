#pragma once

#include <QImage>
#include <QString>

// The application icon: two wooden claves crossed on a rounded blue tile, with a spark where
// one strikes the other. The raster sizes and the SVG share one geometry, in units of a
// 32 x 32 icon.

// A size x size icon. With `sixteenColours`, every opaque pixel takes the nearest of the
// icon's sixteen colours and every pixel is either opaque or clear, as the program's own
// icon resource is; otherwise it is anti-aliased in full colour, for the desktop's icon theme.
QImage DrawIcon(int size, bool sixteenColours);

QString IconSvg();
