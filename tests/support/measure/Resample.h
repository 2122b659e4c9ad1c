#pragma once

#include <cstdint>
#include <span>
#include <vector>

// `sound`, recorded at `from` samples a second, as it sounds at `to`: band-limited
// interpolation (a Lanczos window of 16 lobes), so that a tone can be matched against a
// recording that a sound server resampled.
std::vector<std::int16_t> Resampled(std::span<const std::int16_t> sound, unsigned from,
                                    unsigned to);
