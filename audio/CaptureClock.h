#pragma once

#include <chrono>
#include <span>

// When each sample of a recording was captured, on the monotonic clock, as the sound server's
// timing reports place it: sample `index` (counted from the recording's first) is captured at
// CapturedAt(index). The input's clock is its own, a little fast or slow against the
// computer's, so the rate is the one the reports show.
struct CaptureClock {
  using Clock = std::chrono::steady_clock;

  Clock::time_point at;  // when sample `index` was captured
  double index = 0;
  double samplesPerSecond = 0;

  Clock::time_point CapturedAt(double sample) const {
    const std::chrono::duration<double> since((sample - index) / samplesPerSecond);
    return at + std::chrono::duration_cast<Clock::duration>(since);
  }
  double SampleCapturedAt(Clock::time_point t) const {
    return index + std::chrono::duration<double>(t - at).count() * samplesPerSecond;
  }
};

// One clock through `reports` (each the sample being captured at its moment, in the order
// they came). A report now and then counts a piece twice, on its way and in the queue, and
// so stands a piece off the others: the rate is taken between the middle of the oldest and
// of the newest reports, and the place is the middle of all at that rate. Reports spanning
// too little time to tell the rate keep the nominal one.
CaptureClock FitCaptureClock(std::span<const CaptureClock> reports, double nominalRate);
