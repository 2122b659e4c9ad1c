#pragma once

#include <QFont>
#include <QRect>

#include "res/DialogTemplate.h"

// Dialog units scale a template with its font: 4 horizontal units are one average character
// width, 8 vertical units one character height.
struct DialogBaseUnits {
  int cx;
  int cy;
};

// The base units of a dialog font, as the classic dialog manager measures them: cx is the
// average width of the 52 letters A-Z a-z, rounded ((width / 26 + 1) / 2), cy the font's height
// (ascent + descent).
DialogBaseUnits BaseUnitsOf(const QFont& font);

// Dialog units to pixels: x and width by cx / 4, y and height by cy / 8, each rounded as MulDiv
// does (a * b / c rounded to nearest, halves away from zero).
QRect MapDialogRect(const DialogRect& rect, DialogBaseUnits units);

// The dialog font: the template's face at its point size, or the application font when the
// template names none. Faces the desktop lacks are mapped to a metric-compatible substitute:
// "ＭＳ Ｐゴシック" (and "MS PGothic") to "IPAPGothic", without changing the name the template
// gives.
QFont DialogFont(const DialogTemplate& t);
