#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// Samples handed from one thread to one other without a lock and without allocating: the
// recording's thread writes, the listening worker reads. What does not fit is dropped and
// counted, so that a stalled reader never holds up the recording.
class SampleRing {
 public:
  explicit SampleRing(std::size_t capacity)
      : capacity_(capacity), samples_(std::make_unique<std::int16_t[]>(capacity)) {}

  // Writer's side. Returns how many samples did not fit.
  std::size_t Write(std::span<const std::int16_t> samples) {
    const std::uint64_t read = read_.load(std::memory_order_acquire);
    std::uint64_t write = write_.load(std::memory_order_relaxed);
    const std::size_t room = capacity_ - static_cast<std::size_t>(write - read);
    const std::size_t n = std::min(room, samples.size());
    for (std::size_t i = 0; i < n; ++i) samples_[(write + i) % capacity_] = samples[i];
    write_.store(write + n, std::memory_order_release);
    return samples.size() - n;
  }

  // Reader's side: moves up to out.size() samples into `out`; returns how many.
  std::size_t Read(std::span<std::int16_t> out) {
    const std::uint64_t write = write_.load(std::memory_order_acquire);
    const std::uint64_t read = read_.load(std::memory_order_relaxed);
    const std::size_t n = std::min(out.size(), static_cast<std::size_t>(write - read));
    for (std::size_t i = 0; i < n; ++i) out[i] = samples_[(read + i) % capacity_];
    read_.store(read + n, std::memory_order_release);
    return n;
  }

 private:
  std::size_t capacity_;
  std::unique_ptr<std::int16_t[]> samples_;
  std::atomic<std::uint64_t> write_ = 0;
  std::atomic<std::uint64_t> read_ = 0;
};
