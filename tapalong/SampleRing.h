#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// Pieces of a recording handed from one thread to one other without a lock and without
// allocating: the recording's thread writes, the listening worker reads. Each piece keeps the
// number of its first sample, so that a piece that found the queue full, and was dropped
// rather than hold up the recording, leaves a gap the reader can see and fill.
class SampleRing {
 public:
  static constexpr std::size_t kPieceSamples = 1024;

  struct Piece {
    std::uint64_t first = 0;
    std::size_t size = 0;
    std::array<std::int16_t, kPieceSamples> samples;
  };

  explicit SampleRing(std::size_t pieces)
      : count_(pieces), pieces_(std::make_unique<Piece[]>(pieces)) {}

  // Writer's side: `samples` from sample number `first` on. False if some did not fit.
  bool Write(std::span<const std::int16_t> samples, std::uint64_t first) {
    while (!samples.empty()) {
      const std::uint64_t write = write_.load(std::memory_order_relaxed);
      if (write - read_.load(std::memory_order_acquire) == count_) return false;
      Piece& piece = pieces_[write % count_];
      piece.first = first;
      piece.size = std::min(samples.size(), kPieceSamples);
      std::copy_n(samples.begin(), piece.size, piece.samples.begin());
      write_.store(write + 1, std::memory_order_release);
      first += piece.size;
      samples = samples.subspan(piece.size);
    }
    return true;
  }

  // Reader's side: the oldest piece not yet read, null if none; valid until Pop.
  const Piece* Front() const {
    const std::uint64_t read = read_.load(std::memory_order_relaxed);
    return read == write_.load(std::memory_order_acquire) ? nullptr : &pieces_[read % count_];
  }
  void Pop() { read_.store(read_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

 private:
  std::size_t count_;
  std::unique_ptr<Piece[]> pieces_;
  std::atomic<std::uint64_t> write_ = 0;
  std::atomic<std::uint64_t> read_ = 0;
};
