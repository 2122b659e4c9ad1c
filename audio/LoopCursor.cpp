#include "audio/LoopCursor.h"

#include <algorithm>
#include <cstring>

void LoopCursor::Start(const std::int16_t* samples, std::uint32_t frames, std::uint32_t loops) {
  samples_ = samples;
  frames_ = samples != nullptr ? frames : 0;
  loopsLeft_ = loops;
  position_ = 0;
}

void LoopCursor::Stop() {
  Start(nullptr, 0, 0);
}

void LoopCursor::Render(std::span<std::int16_t> out) {
  while (!out.empty() && Sounding()) {
    const std::size_t n = std::min<std::size_t>(out.size(), frames_ - position_);
    std::memcpy(out.data(), samples_ + position_, n * sizeof(std::int16_t));
    out = out.subspan(n);
    position_ += static_cast<std::uint32_t>(n);
    if (position_ == frames_) {
      position_ = 0;
      --loopsLeft_;
    }
  }
  std::fill(out.begin(), out.end(), std::int16_t{0});
}
