#include "tapalong/Calibration.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

std::optional<double> CalibrationAdjustmentMs(std::span<const double> offsetsMs) {
  std::vector<double> offsets;
  std::copy_if(offsetsMs.begin(), offsetsMs.end(), std::back_inserter(offsets),
               [](double offset) { return std::isfinite(offset); });
  if (offsets.size() < kCalibrationMinimumTaps) return std::nullopt;
  const double median = Median(offsets);
  // Stable, so that of two taps equally far from the median the later one is left out.
  std::stable_sort(offsets.begin(), offsets.end(), [median](double a, double b) {
    return std::abs(a - median) < std::abs(b - median);
  });
  offsets.resize(offsets.size() - offsets.size() / 4);
  return Median(std::move(offsets));
}
