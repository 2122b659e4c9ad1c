#pragma once

#include <cstddef>
#include <optional>
#include <span>

// The player's own lag, from taps made along with the beat: the caller scores them with a
// Take whose plan's strokes are the beat positions, and passes the hits' offsets. The result
// is added to each stroke's heard time, so a player who is 40 ms late on average gets +40.
//
// The rule: the median of the offsets; the quarter of them furthest from it (rounded down)
// are left out as wild, and the median of the rest is the adjustment. Offsets that are not
// finite are ignored. Fewer than kCalibrationMinimumTaps offsets give no result: the caller
// asks for 16 taps, and a run with more than a quarter of them lost says too little.
inline constexpr std::size_t kCalibrationMinimumTaps = 12;

std::optional<double> CalibrationAdjustmentMs(std::span<const double> offsetsMs);
