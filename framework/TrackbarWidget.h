#pragma once

#include <QSlider>
#include <functional>

// A horizontal slider that tells its owner each time it is about to paint, before it
// draws anything, as a custom-drawn trackbar does.
class TrackbarWidget : public QSlider {
 public:
  explicit TrackbarWidget(QWidget* parent);
  // Called at the start of every paint; returns the draw result (CDRF_DODEFAULT to draw).
  void SetCustomDraw(std::function<long()> notify) { customDraw_ = std::move(notify); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<long()> customDraw_;
};
