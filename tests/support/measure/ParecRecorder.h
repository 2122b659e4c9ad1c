#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Records a PulseAudio source with `parec` into memory, noting when each piece arrived.
class ParecRecorder {
 public:
  using Clock = std::chrono::steady_clock;
  struct Arrival {
    Clock::time_point time;
    std::size_t samplesSoFar;
  };

  // Starts recording 16-bit mono at `rate` from `source`, in pieces of about `latency`.
  explicit ParecRecorder(const std::string& source, unsigned rate = 44100,
                         std::chrono::milliseconds latency = std::chrono::milliseconds(5));
  ~ParecRecorder();
  ParecRecorder(const ParecRecorder&) = delete;
  ParecRecorder& operator=(const ParecRecorder&) = delete;

  bool Started() const { return pid_ > 0; }
  // Waits until at least `frames` samples have arrived; false on timeout.
  bool WaitForSamples(std::size_t frames, std::chrono::milliseconds timeout);
  // Ends the recording; afterwards samples() and arrivals() are complete.
  void Finish();

  const std::vector<std::int16_t>& samples() const { return samples_; }
  // When the piece holding sample `index` arrived.
  Clock::time_point ArrivalOf(std::size_t index) const;

 private:
  void ReadUntilClosed();

  pid_t pid_ = -1;
  int pipe_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::vector<std::int16_t> samples_;
  std::vector<Arrival> arrivals_;
};
