#include "support/measure/Resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kLobes = 16;

double Sinc(double x) {
  if (x == 0) return 1;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}

}  // namespace

std::vector<std::int16_t> Resampled(std::span<const std::int16_t> sound, unsigned from,
                                    unsigned to) {
  const double step = static_cast<double>(from) / to;  // input samples per output sample
  // Going down in rate, the kernel widens so that what the lower rate cannot hold is cut.
  const double scale = std::min(1.0, 1.0 / step);
  const auto length = static_cast<std::size_t>(std::ceil(sound.size() / step));
  std::vector<std::int16_t> out(length);
  for (std::size_t k = 0; k < length; ++k) {
    const double t = k * step;
    const auto first = static_cast<std::ptrdiff_t>(std::floor(t - kLobes / scale)) + 1;
    const auto last = static_cast<std::ptrdiff_t>(std::floor(t + kLobes / scale));
    double sum = 0;
    for (std::ptrdiff_t i = std::max<std::ptrdiff_t>(first, 0);
         i <= std::min<std::ptrdiff_t>(last, static_cast<std::ptrdiff_t>(sound.size()) - 1); ++i) {
      const double x = (t - static_cast<double>(i)) * scale;
      sum += sound[static_cast<std::size_t>(i)] * scale * Sinc(x) * Sinc(x / kLobes);
    }
    out[k] = static_cast<std::int16_t>(std::clamp(std::lround(sum), -32768L, 32767L));
  }
  return out;
}
