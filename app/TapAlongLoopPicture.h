#pragma once

#include "app/TapAlongPicture.h"

// One loop as a line with the pattern's strokes on it, and the take's most recent taps as
// marks beside the stroke each was aimed at: earlier to the left, later to the right,
// magnified so that each stroke's box spans kShownMs either side. Each mark is coloured by
// how close it came (TapMarkColour); an extra is drawn hollow.
class TapAlongLoopPicture : public TapAlongPicture {
 public:
  static constexpr int kRecentTaps = 16;
  static constexpr double kShownMs = 50;

  explicit TapAlongLoopPicture(QWidget* parent);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
