#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// The largest of the last `window` values pushed, in constant time per value: a queue of the
// values that may still become the largest, each larger than every one after it. Allocates
// only in the constructor.
class SlidingMax {
 public:
  explicit SlidingMax(std::size_t window)
      : window_(window),
        indices_(std::make_unique<std::uint64_t[]>(window + 1)),
        values_(std::make_unique<float[]>(window + 1)) {}

  void Clear() { pushed_ = head_ = count_ = 0; }

  void Push(float value) {
    while (count_ > 0 && values_[Slot(count_ - 1)] <= value) --count_;
    if (count_ > 0 && indices_[head_] + window_ <= pushed_) Drop();
    indices_[Slot(count_)] = pushed_++;
    values_[Slot(count_)] = value;
    ++count_;
  }

  // 0 before anything is pushed.
  float Max() const { return count_ > 0 ? values_[head_] : 0.0f; }

 private:
  std::size_t Slot(std::size_t i) const { return (head_ + i) % (window_ + 1); }
  void Drop() {
    head_ = Slot(1);
    --count_;
  }

  std::size_t window_;
  std::unique_ptr<std::uint64_t[]> indices_;
  std::unique_ptr<float[]> values_;
  std::uint64_t pushed_ = 0;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
};
