#pragma once

#include <array>
#include <cstddef>
#include <vector>

struct ScoredTap;
class StrokePlan;

// Mean and spread of the offsets of a set of hits, in milliseconds. The spread is the
// population standard deviation: it describes the taps of this take as they were, and is
// defined (0) from the first hit on, where the sample deviation would have nothing to say.
struct OffsetStats {
  std::size_t hits = 0;
  double meanMs = 0;
  double spreadMs = 0;
};

// The figures of a take at one moment.
struct TakeFigures {
  static constexpr std::array<double, 3> kWithinMs = {15, 30, 50};

  std::size_t hits = 0;
  std::size_t misses = 0;
  std::size_t extras = 0;
  std::size_t masked = 0;
  OffsetStats all;
  // Share of all hits with |offset| <= kWithinMs[i], from 0 to 1 (0 without hits).
  std::array<double, kWithinMs.size()> within{};
  OffsetStats sounding;
  OffsetStats silent;
  std::vector<OffsetStats> strokes;  // one per stroke of the plan, in the plan's order
};

// The offset figures of `taps` scored on `plan`; the counts of misses and masked strokes are
// the take's to fill in. One pass over the taps.
TakeFigures HitFigures(const std::vector<ScoredTap>& taps, const StrokePlan& plan);
