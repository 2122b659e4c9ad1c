#pragma once

#include <chrono>
#include <cstdint>

#include "audio/PlaybackPosition.h"

// When each sample of the loop now playing is heard, on the monotonic clock, as the sound
// server reports it. Frames count along the loop's timeline: repetition k starts at k times
// the loop's frames. The repetitions follow each other at the output's rate, through an
// underrun too: the server keeps to its own clock and drops what comes late.
struct LoopClock {
  using Clock = PlaybackPosition::Clock;

  PlaybackPosition position;   // what the server last said
  std::int64_t loopStart = 0;  // the stream's byte that holds the loop's first sample
  std::uint32_t bytesPerFrame = 2;
  // Which start of the output the loop is: every Write makes a new one, a setting changed
  // while playing too.
  std::uint64_t start = 0;

  // The frame heard at `t`, in fractions of a frame; before the loop's first sample, < 0.
  double FrameHeardAt(Clock::time_point t) const {
    return (position.IndexHeardAt(t) - static_cast<double>(loopStart)) / bytesPerFrame;
  }
  // When `frame` is heard.
  Clock::time_point HeardAt(double frame) const {
    return position.HeardAt(static_cast<double>(loopStart) + frame * bytesPerFrame);
  }
};
