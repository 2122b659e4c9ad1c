#include "support/measure/LoopMatch.h"

#include <algorithm>

std::optional<std::size_t> FindLoopStart(std::span<const std::int16_t> recording,
                                         std::span<const std::int16_t> loop, std::size_t from) {
  const auto sound = std::find_if(loop.begin(), loop.end(), [](std::int16_t s) { return s != 0; });
  if (sound == loop.end()) return std::nullopt;
  const auto firstSound = static_cast<std::size_t>(sound - loop.begin());
  // Only where the loop's first sound matches is a whole comparison worth making.
  for (std::size_t q = from; q + loop.size() <= recording.size(); ++q) {
    if (recording[q + firstSound] != *sound) continue;
    if (std::equal(loop.begin(), loop.end(), recording.begin() + static_cast<std::ptrdiff_t>(q)))
      return q;
  }
  return std::nullopt;
}

LoopComparison CompareWithLoop(std::span<const std::int16_t> recording,
                               std::span<const std::int16_t> loop, std::size_t start,
                               std::size_t span) {
  LoopComparison result;
  if (loop.empty() || start >= recording.size()) return result;
  result.compared = std::min(span, recording.size() - start);
  for (std::size_t k = 0; k < result.compared; ++k) {
    if (recording[start + k] != loop[k % loop.size()] && result.mismatches++ == 0)
      result.firstMismatch = k;
  }
  return result;
}
