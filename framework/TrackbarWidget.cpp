#include "framework/TrackbarWidget.h"

TrackbarWidget::TrackbarWidget(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  // The trackbar's defaults: range 0 to 100, a line of 1, a page of a fifth of the range.
  setRange(0, 100);
  setSingleStep(1);
  setPageStep(20);
}

void TrackbarWidget::paintEvent(QPaintEvent* event) {
  if (customDraw_) customDraw_();
  QSlider::paintEvent(event);
}
