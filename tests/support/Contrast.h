#pragma once

// How well what a widget draws stands out, for the tests of dark palettes: WCAG's contrast
// ratio of two colours, 1 (none) to 21 (black on white).

#include <QColor>
#include <QImage>
#include <QPalette>
#include <algorithm>
#include <cmath>

// A dark palette as desktop themes make one (qt6ct's "darker", Breeze Dark): Qt derives the
// rest from the window grey, white text on it.
inline QPalette DarkPalette() {
  return QPalette(QColor(0x35, 0x35, 0x35));
}

inline double Luminance(QRgb c) {
  auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

inline double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast against `background` within `area` of `image`.
inline double StrongestContrast(const QImage& image, const QRect& area, QRgb background) {
  double best = 1;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      best = std::max(best, Contrast(image.pixel(x, y), background));
  return best;
}
