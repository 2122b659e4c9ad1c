#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Images and strings compiled into the executable, by resource id. A missing or unreadable
// resource gives an empty result.
QPixmap LoadBitmapResource(int id);
QIcon LoadIconResource(int id);
QString LoadStringResource(int id);
