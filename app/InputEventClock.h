#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

// When a key or button event happened, on the monotonic clock. Window systems stamp input
// events in milliseconds of a clock of their own: an X server and a Wayland compositor on
// Linux read the monotonic clock, truncated to the millisecond (and, on X, to 32 bits). When
// the stamps are seen to be that clock, an event happened within the millisecond its stamp
// names. Otherwise the stamps' offset is learnt from the events themselves: the smallest
// delay from stamp to delivery seen so far is the nearest to the truth.
class InputEventClock {
 public:
  using Clock = std::chrono::steady_clock;

  // The event stamped `stampMs` (QInputEvent::timestamp()) that is being delivered now, at
  // `delivered`.
  Clock::time_point TimeOf(std::uint64_t stampMs, Clock::time_point delivered);

 private:
  std::optional<std::int64_t> learntOffsetMs_;  // delivered minus stamp, the least seen
};
