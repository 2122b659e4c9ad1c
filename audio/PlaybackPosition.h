#pragma once

#include <chrono>
#include <cstdint>

// What a sound server said of a playback stream at one moment: the byte of the stream it was
// about to take from the queue, and how long that byte then takes to be heard (the sink's
// latency). Bytes count from the stream's start; the server takes them at the stream's own
// rate, through underruns too, so one report places every byte around it in time.
struct PlaybackPosition {
  using Clock = std::chrono::steady_clock;

  std::int64_t readIndex = 0;
  std::chrono::microseconds sinkLatency{0};
  Clock::time_point at;  // when the report was true
  std::uint32_t bytesPerSecond = 0;

  // When the byte at `index` is heard, or was.
  Clock::time_point HeardAt(std::int64_t index) const {
    const double seconds = static_cast<double>(index - readIndex) / bytesPerSecond;
    return at + sinkLatency +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  }

  // The byte heard at `t`, in fractions of a byte.
  double IndexHeardAt(Clock::time_point t) const {
    const std::chrono::duration<double> since = t - at - sinkLatency;
    return static_cast<double>(readIndex) + since.count() * bytesPerSecond;
  }
};
