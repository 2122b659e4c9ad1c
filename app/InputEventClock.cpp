#include "app/InputEventClock.h"

#include <algorithm>

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

// A stamp of the monotonic clock is delivered a little after it was made, never before and
// never this late.
constexpr std::int64_t kLatestDeliveryMs = 2000;

}  // namespace

InputEventClock::Clock::time_point InputEventClock::TimeOf(std::uint64_t stampMs,
                                                           Clock::time_point delivered) {
  const auto deliveredMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(delivered.time_since_epoch()).count();
  // Compared in 32 bits, where X's stamps wrap.
  const auto delay = static_cast<std::int32_t>(static_cast<std::uint32_t>(deliveredMs) -
                                               static_cast<std::uint32_t>(stampMs));
  if (delay >= 0 && delay < kLatestDeliveryMs) {
    // Within the millisecond the stamp names: its middle.
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(
        Milliseconds(static_cast<double>(deliveredMs - delay) + 0.5)));
  }
  const std::int64_t offset = deliveredMs - static_cast<std::int64_t>(stampMs);
  learntOffsetMs_ = learntOffsetMs_ ? std::min(*learntOffsetMs_, offset) : offset;
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(
      Milliseconds(static_cast<double>(static_cast<std::int64_t>(stampMs) + *learntOffsetMs_))));
}
