#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/measure/ChildProcess.h"

// Records a PulseAudio source with `parec` into memory, noting when each piece arrived: what
// a recording says of when its samples were played.
class ParecRecorder {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts recording 16-bit mono at `rate` from `source`, in pieces of about `latency`.
  explicit ParecRecorder(const std::string& source, unsigned rate = 44100,
                         std::chrono::milliseconds latency = std::chrono::milliseconds(5));
  ~ParecRecorder() { Finish(); }
  ParecRecorder(const ParecRecorder&) = delete;
  ParecRecorder& operator=(const ParecRecorder&) = delete;

  bool Started() const { return reader_.joinable(); }
  // Waits until at least `frames` samples have arrived; false on timeout.
  bool WaitForSamples(std::size_t frames, std::chrono::milliseconds timeout);
  // Ends the recording; afterwards everything below is complete.
  void Finish();

  const std::vector<std::int16_t>& samples() const { return samples_; }
  // When the piece holding sample `index` arrived.
  Clock::time_point ArrivalOf(std::size_t index) const;
  // The first sample that arrived at or after `t`: nothing played after `t` lies before it.
  std::size_t FirstSampleArrivingAfter(Clock::time_point t) const;
  // How many pieces the recording arrived in: its time resolution is samples / pieces.
  std::size_t Pieces() const;

 private:
  struct Arrival {
    Clock::time_point time;
    std::size_t samplesSoFar;
  };
  void ReadUntilClosed();

  ChildProcess parec_;
  int pipe_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::vector<std::int16_t> samples_;
  std::vector<Arrival> arrivals_;
};
