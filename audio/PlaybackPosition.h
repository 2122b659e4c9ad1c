#pragma once

#include <chrono>
#include <cstdint>
#include <span>

// What a sound server said of a playback stream at one moment: the byte of the stream it was
// about to take from the queue, and how long that byte then takes to be heard (the sink's
// latency). Bytes count from the stream's start; the server takes them at the stream's rate
// by its own clock, through underruns too, so one report places every byte around it in time.
struct PlaybackPosition {
  using Clock = std::chrono::steady_clock;

  std::int64_t readIndex = 0;
  std::chrono::microseconds sinkLatency{0};
  Clock::time_point at;  // when the report was true
  double bytesPerSecond = 0;

  // When the byte at `index` is heard, or was.
  Clock::time_point HeardAt(double index) const {
    const std::chrono::duration<double> since((index - static_cast<double>(readIndex)) /
                                              bytesPerSecond);
    return at + sinkLatency + std::chrono::duration_cast<Clock::duration>(since);
  }

  // The byte heard at `t`, in fractions of a byte.
  double IndexHeardAt(Clock::time_point t) const {
    const std::chrono::duration<double> since = t - at - sinkLatency;
    return static_cast<double>(readIndex) + since.count() * bytesPerSecond;
  }
};

// One position that holds for all of `reports` (in the order they came, over some seconds):
// the rate at which the server's clock really plays against the computer's, and the place
// of the bytes on it. No two clocks keep the same time (a sound card's may be off by a few
// hundred parts per million, and so may a null sink's), so a stream's bytes slowly drift
// from where the nominal rate puts them. A report never places a byte too early: PulseAudio's
// are exact, PipeWire's late by up to a quantum, as its read index moves a quantum at a time.
// So the earliest placement among the oldest reports and among the newest gives the rate,
// and the earliest of all, at that rate, the place. With reports spanning too little time to
// tell the rate, the nominal one is kept.
PlaybackPosition FitPlayback(std::span<const PlaybackPosition> reports,
                             double nominalBytesPerSecond);
