#pragma once

#include "app/TapAlongPicture.h"

// The offset of every tap of the take over its course: across, the loops from the first
// tap's to the last one's, the silent loops shaded; up, later, down, earlier, on time along
// the middle. The scale is 50 ms either side, or more, up to the match window, when a tap
// lies further out.
class TapAlongTakePicture : public TapAlongPicture {
 public:
  explicit TapAlongTakePicture(QWidget* parent);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
