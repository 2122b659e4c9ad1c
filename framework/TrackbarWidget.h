#pragma once

#include <QSlider>
#include <functional>

// A horizontal slider that tells its owner each time it is about to paint, before it
// draws anything, as a custom-drawn trackbar does.
//
// To assistive technology it is a slider named after what it sets, whose value is what it
// sets (a tempo, say) rather than its position, once its owner says how one maps to the other.
class TrackbarWidget : public QSlider {
 public:
  // What a position stands for, given the range.
  using ValueOf = std::function<int(int position, int minimum, int maximum)>;

  explicit TrackbarWidget(QWidget* parent);
  // Called at the start of every paint; returns the draw result (CDRF_DODEFAULT to draw).
  void SetCustomDraw(std::function<long()> notify) { customDraw_ = std::move(notify); }
  void SetAccessibleValueOf(ValueOf valueOf) { valueOf_ = std::move(valueOf); }
  // What the position `position` stands for: the position itself until told otherwise.
  int AccessibleValueAt(int position) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<long()> customDraw_;
  ValueOf valueOf_;
};

// The colour of the tick marks: the palette's text colour 60 % of the way from the window's,
// at least 3:1 against the window in the usual light and dark palettes.
QColor TickColour(const QPalette& palette);

// Lets assistive technology see TrackbarWidget as described above; installed once.
void InstallTrackbarAccessibility();
