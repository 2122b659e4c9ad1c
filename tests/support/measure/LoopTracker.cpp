#include "support/measure/LoopTracker.h"

#include <algorithm>

LoopTracker::LoopTracker(std::vector<std::int16_t> loop, std::uint32_t loops,
                         std::uint32_t silentCycle)
    : loop_(std::move(loop)), loops_(loops), silentCycle_(silentCycle) {
  const auto sound =
      std::find_if(loop_.begin(), loop_.end(), [](std::int16_t s) { return s != 0; });
  if (sound != loop_.end()) firstSound_ = static_cast<std::size_t>(sound - loop_.begin());
}

void LoopTracker::Follow(std::span<const std::int16_t> recording) {
  if (!start_) Find(recording);
  if (start_) Check(recording);
}

void LoopTracker::Find(std::span<const std::int16_t> recording) {
  if (!firstSound_) return;
  const std::size_t first = *firstSound_;
  const std::size_t match = std::min(kMatchToFind, loop_.size() - first);
  // The loop is found where its first sound matches, with the silence before it.
  for (; next_ + match <= recording.size(); ++next_) {
    if (next_ < first || recording[next_] != loop_[first]) continue;
    const std::size_t start = next_ - first;
    if (std::equal(loop_.begin(), loop_.begin() + static_cast<std::ptrdiff_t>(first + match),
                   recording.begin() + static_cast<std::ptrdiff_t>(start))) {
      start_ = start;
      next_ = start;
      return;
    }
  }
}

void LoopTracker::Check(std::span<const std::int16_t> recording) {
  const std::size_t end = std::min(recording.size(), *start_ + std::size_t{loops_} * loop_.size());
  for (; next_ < end; ++next_) {
    const std::size_t since = next_ - *start_;
    const auto repetition = static_cast<std::uint32_t>(since / loop_.size());
    const std::int16_t expected = IsSilent(repetition) ? 0 : loop_[since % loop_.size()];
    if (recording[next_] == expected) continue;
    if (mismatches_++ == 0) firstMismatch_ = next_;
  }
}
