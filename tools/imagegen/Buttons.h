#pragma once

#include "tools/imagegen/Raster.h"

// The START and STOP push buttons, drawn as 24-bit bitmaps in each of their four states.

inline constexpr int kButtonWidth = 42;
inline constexpr int kButtonHeight = 34;

enum class Glyph { kPlay, kStop };
enum class ButtonState { kNormal, kSelected, kFocused, kDisabled };

Canvas DrawButton(Glyph glyph, ButtonState state);
