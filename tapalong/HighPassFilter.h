#pragma once

#include <cmath>

// A second-order Butterworth high-pass (the audio-EQ cookbook's form), run sample by sample
// with its state kept from one call to the next.
class HighPassFilter {
 public:
  HighPassFilter(double cutoff, double rate) {
    const double w = 2.0 * std::acos(-1.0) * cutoff / rate;
    const double cosw = std::cos(w);
    const double alpha = std::sin(w) / std::sqrt(2.0);
    const double a0 = 1.0 + alpha;
    b0_ = (1.0 + cosw) / 2.0 / a0;
    b1_ = -(1.0 + cosw) / a0;
    a1_ = -2.0 * cosw / a0;
    a2_ = (1.0 - alpha) / a0;
  }

  double Process(double x) {
    // b2 equals b0 for a high-pass.
    const double y = b0_ * (x + x2_) + b1_ * x1_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double b0_, b1_, a1_, a2_;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};
