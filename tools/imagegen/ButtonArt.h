#pragma once

#include <QImage>
#include <QSize>

#include "res/ButtonBitmap.h"

// The START and STOP push buttons in each of their four states: a face lit from above with
// a bevel, the play triangle or the stop square, and the focus dots. Drawn in pixels of the
// bitmap (res/ButtonBitmap.h), at `scale` device pixels to each (1, or 2 for high-density screens),
// so that every line lands on whole pixels at both.

inline constexpr QSize kButtonSize{button_bitmap::kWidth, button_bitmap::kHeight};

enum class Glyph { kPlay, kStop };
enum class ButtonState { kNormal, kSelected, kFocused, kDisabled };

// The whole button, opaque.
QImage DrawButton(Glyph glyph, ButtonState state, int scale);

// The glyph alone on transparency, for a face the program draws in the desktop's colours.
QImage DrawGlyph(Glyph glyph, ButtonState state, int scale);
