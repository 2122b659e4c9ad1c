#include "support/measure/StrokeGrid.h"

#include <algorithm>
#include <cmath>

StrokeGrid StrokeGrid::Of(int pattern, unsigned tempo, unsigned rate) {
  StrokeGrid grid;
  grid.samplesPerBeat = rate * 60.0 / tempo;
  switch (pattern) {
    case 0:  // 2-3: the two-side first, on beats 1 and 2; the three-side on 4, 5 1/2 and 7
      grid.beats = {1, 2, 4, 5.5, 7};
      grid.beatsPerLoop = 8;
      break;
    case 1:  // 3-2 rumba: from the loop's start, the third stroke of the three-side delayed
      grid.beats = {0, 1.5, 3.5, 5, 6};
      grid.beatsPerLoop = 8;
      break;
    default:  // 6/8: on eighths 0, 2, 5, 7, 9 and 11 of twelve, two eighths to a beat
      grid.beats = {0, 1, 2.5, 3.5, 4.5, 5.5};
      grid.beatsPerLoop = 6;
      break;
  }
  return grid;
}

std::vector<double> StrokeGrid::Positions(double loopStart, std::size_t loops) const {
  std::vector<double> positions;
  for (std::size_t k = 0; k < loops; ++k) {
    for (double beat : beats)
      positions.push_back(loopStart +
                          (static_cast<double>(k) * beatsPerLoop + beat) * samplesPerBeat);
  }
  return positions;
}

GridComparison CompareWithGrid(const std::vector<std::size_t>& onsets,
                               const std::vector<double>& ideal) {
  GridComparison result;
  if (ideal.empty()) return result;
  std::size_t paired = 0;
  for (double position : ideal) {
    const auto nearest = std::min_element(onsets.begin(), onsets.end(), [&](auto a, auto b) {
      return std::abs(static_cast<double>(a) - position) <
             std::abs(static_cast<double>(b) - position);
    });
    if (nearest == onsets.end() || std::abs(static_cast<double>(*nearest) - position) > kPairing) {
      ++result.missing;
      continue;
    }
    result.errors.push_back(static_cast<double>(*nearest) - position);
    ++paired;
  }
  const auto inSpan = std::count_if(onsets.begin(), onsets.end(), [&](std::size_t o) {
    const double x = static_cast<double>(o);
    return x >= ideal.front() - kPairing && x <= ideal.back() + kPairing;
  });
  result.extra = static_cast<std::size_t>(inSpan) - paired;
  return result;
}
