#pragma once

#include <QColor>

// `weight` of `colour` over the rest of `background`, channel by channel: text that is
// dimmed yet still reads, or marks that stand back from it.
inline QColor Mixed(const QColor& colour, const QColor& background, double weight) {
  auto channel = [weight](float c, float b) { return static_cast<float>(b + (c - b) * weight); };
  return QColor::fromRgbF(channel(colour.redF(), background.redF()),
                          channel(colour.greenF(), background.greenF()),
                          channel(colour.blueF(), background.blueF()));
}
