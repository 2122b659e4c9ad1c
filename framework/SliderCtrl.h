#pragma once

#include "framework/Wnd.h"

class QSlider;

// A trackbar control: a position within a range (0 to 100 until set).
class CSliderCtrl : public CWnd {
 public:
  int GetPos() const;
  void SetPos(int position);  // redraws the control
  void GetRange(int& min, int& max) const;
  // What assistive technology calls the slider, and what a position stands for there (by
  // default the position itself).
  void DescribeForAccessibility(const QString& name,
                                int (*valueOf)(int position, int min, int max));

 private:
  QSlider* Slider() const;
};
