#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Follows a loop played over and over through a recording as the recording grows: finds
// where the loop's first sample landed as soon as its first sound has come, and from there
// checks every later sample against the repetitions, silent ones included (every
// silentCycle-th, as the output plays them), so that a sample lost or doubled anywhere shows.
class LoopTracker {
 public:
  // Samples of the first sound that must match before the loop counts as found.
  static constexpr std::size_t kMatchToFind = 256;

  LoopTracker(std::vector<std::int16_t> loop, std::uint32_t loops, std::uint32_t silentCycle);

  // Looks at what `recording` holds beyond what it held last time.
  void Follow(std::span<const std::int16_t> recording);

  // Where repetition 0 starts in the recording, once found.
  std::optional<std::size_t> Start() const { return start_; }
  std::size_t LoopFrames() const { return loop_.size(); }
  bool IsSilent(std::uint32_t repetition) const {
    return silentCycle_ >= 2 && repetition % silentCycle_ == silentCycle_ - 1;
  }
  // Samples checked and found unlike the loop; the first of them.
  std::size_t Mismatches() const { return mismatches_; }
  std::optional<std::size_t> FirstMismatch() const { return firstMismatch_; }

 private:
  void Find(std::span<const std::int16_t> recording);
  void Check(std::span<const std::int16_t> recording);

  std::vector<std::int16_t> loop_;
  std::uint32_t loops_;
  std::uint32_t silentCycle_;
  std::optional<std::size_t> firstSound_;  // in the loop; none for a silent loop
  std::size_t next_ = 0;                   // the first sample of the recording not yet looked at
  std::optional<std::size_t> start_;
  std::size_t mismatches_ = 0;
  std::optional<std::size_t> firstMismatch_;
};
