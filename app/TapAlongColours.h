#pragma once

#include <QColor>
#include <QPalette>
#include <array>
#include <cmath>

#include "tapalong/TakeFigures.h"

// The colour of a tap's mark by how close it came to its stroke: within each of
// TakeFigures::kWithinMs, then beyond. Each is at least 3:1 against the palette's base,
// light or dark.
inline QColor TapMarkColour(double offsetMs, const QPalette& palette) {
  static constexpr std::array<QRgb, 4> kOnLight = {0x1a7f37, 0x7a6400, 0xb54708, 0xc01c28};
  static constexpr std::array<QRgb, 4> kOnDark = {0x57d98a, 0xe5c942, 0xf59e4a, 0xff7b7b};
  const auto& colours = palette.color(QPalette::Base).lightness() < 128 ? kOnDark : kOnLight;
  std::size_t band = 0;
  while (band < TakeFigures::kWithinMs.size() && std::abs(offsetMs) > TakeFigures::kWithinMs[band])
    ++band;
  return QColor(colours[band]);
}
