#include "engine/SaturatingMix.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void MixSaturating(std::span<std::int16_t> into, std::span<const std::int16_t> from) {
  const std::size_t count = std::min(into.size(), from.size());
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 8 <= count; i += 8) {
    auto* out = reinterpret_cast<__m128i*>(into.data() + i);
    const __m128i a = _mm_loadu_si128(out);
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from.data() + i));
    _mm_storeu_si128(out, _mm_adds_epi16(a, b));
  }
#endif
  for (; i < count; ++i) {
    const int sum = into[i] + from[i];
    into[i] = static_cast<std::int16_t>(std::clamp<int>(
        sum, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
  }
}
