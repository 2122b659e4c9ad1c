#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Sample-exact comparison of a recording with a loop played over and over: a sample inserted
// or dropped anywhere, a loop boundary included, shows as a run of mismatches from there on.

// Where the loop's first sample landed: the first index at or after `from` from which the
// recording holds one whole repetition unchanged. nullopt if none does, or the loop is silent.
std::optional<std::size_t> FindLoopStart(std::span<const std::int16_t> recording,
                                         std::span<const std::int16_t> loop, std::size_t from = 0);

struct LoopComparison {
  std::size_t compared = 0;  // samples; fewer than asked if the recording ends first
  std::size_t mismatches = 0;
  std::size_t firstMismatch = 0;  // counted from the start; meaningful if there are any
};

// Compares `span` samples of the recording from `start` with the loop repeated.
LoopComparison CompareWithLoop(std::span<const std::int16_t> recording,
                               std::span<const std::int16_t> loop, std::size_t start,
                               std::size_t span);
