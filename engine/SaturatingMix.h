#pragma once

#include <cstdint>
#include <span>

// Adds `from` into the start of `into`, sample by sample, clamping each sum to the 16-bit
// range so that a loud overlap flattens instead of wrapping to the opposite sign. Mixes
// min(into.size(), from.size()) samples.
void MixSaturating(std::span<std::int16_t> into, std::span<const std::int16_t> from);
