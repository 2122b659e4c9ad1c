#include "audio/LoopCursor.h"

#include <algorithm>
#include <cstring>

void LoopCursor::Start(const std::int16_t* samples, std::uint32_t frames, std::uint32_t loops,
                       std::uint32_t silentCycle) {
  samples_ = samples;
  frames_ = samples != nullptr ? frames : 0;
  loops_ = loops;
  loopsLeft_ = loops;
  position_ = 0;
  silentCycle_ = silentCycle;
}

void LoopCursor::Stop() {
  Start(nullptr, 0, 0);
}

std::uint64_t LoopCursor::FramesLeft() const {
  if (!HasFramesLeft()) return 0;
  return std::uint64_t{loopsLeft_} * frames_ - position_;
}

bool LoopCursor::SilentRepetition() const {
  if (silentCycle_ < 2) return false;
  const std::uint32_t repetition = loops_ - loopsLeft_;
  return repetition % silentCycle_ == silentCycle_ - 1;
}

void LoopCursor::Render(std::span<std::int16_t> out) {
  while (!out.empty() && HasFramesLeft()) {
    const std::size_t n = std::min<std::size_t>(out.size(), frames_ - position_);
    if (SilentRepetition()) {
      std::fill_n(out.begin(), n, std::int16_t{0});
    } else {
      std::memcpy(out.data(), samples_ + position_, n * sizeof(std::int16_t));
    }
    out = out.subspan(n);
    position_ += static_cast<std::uint32_t>(n);
    if (position_ == frames_) {
      position_ = 0;
      --loopsLeft_;
    }
  }
  std::fill(out.begin(), out.end(), std::int16_t{0});
}
