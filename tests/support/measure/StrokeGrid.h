#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Where a pattern's strokes belong, worked out from the beat alone and never rounded to
// samples, so that the program's own arithmetic is checked rather than repeated.
struct StrokeGrid {
  std::vector<double> beats;  // of each stroke of one loop, from the loop's start
  double beatsPerLoop = 0;
  double samplesPerBeat = 0;

  // The patterns as the window lists them (2-3, 3-2 rumba, 6/8) at `tempo` beats a minute,
  // counted in samples at `rate`.
  static StrokeGrid Of(int pattern, unsigned tempo, unsigned rate = 44100);

  double LoopSamples() const { return beatsPerLoop * samplesPerBeat; }
  // Ideal positions of every stroke of `loops` loops, the first loop starting at `loopStart`.
  std::vector<double> Positions(double loopStart, std::size_t loops) const;
};

struct GridComparison {
  std::vector<double> errors;  // onset minus ideal position, for each ideal stroke found
  std::size_t missing = 0;     // ideal strokes with no onset within kPairing of them
  std::size_t extra = 0;       // onsets in the grid's span that belong to no ideal stroke
};

// Samples an onset may be from its ideal position and still count as that stroke.
inline constexpr double kPairing = 441;

// Pairs each ideal position with the onset nearest to it.
GridComparison CompareWithGrid(const std::vector<std::size_t>& onsets,
                               const std::vector<double>& ideal);
