#include "support/ManualWaveDevice.h"

ManualWaveDevice::ManualWaveDevice(const WaveFormat& format) : format_(format) {}

bool ManualWaveDevice::Write(const WaveHeader& header) {
  std::lock_guard lock(mutex_);
  if (unplugged_ || header.data == nullptr) return false;
  StartCursor(cursor_, header, format_);
  ++writes_;
  firstFrameHeard_.reset();
  return true;
}

bool ManualWaveDevice::Reset() {
  std::lock_guard lock(mutex_);
  if (unplugged_) return false;
  cursor_.Stop();
  return true;
}

bool ManualWaveDevice::PlayedOut() const {
  std::lock_guard lock(mutex_);
  return cursor_.PlayedOut();
}

void ManualWaveDevice::SetStoppedListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  stoppedListener_ = std::move(listener);
}

std::optional<LoopClock> ManualWaveDevice::HeardClock() const {
  std::lock_guard lock(mutex_);
  if (!firstFrameHeard_ || !cursor_.HasFramesLeft()) return std::nullopt;
  const PlaybackPosition position{
      0, {}, *firstFrameHeard_, static_cast<double>(format_.avgBytesPerSec)};
  return LoopClock{position, 0, format_.blockAlign, static_cast<std::uint64_t>(writes_)};
}

void ManualWaveDevice::HearFrom(LoopClock::Clock::time_point firstFrame) {
  std::lock_guard lock(mutex_);
  firstFrameHeard_ = firstFrame;
}

void ManualWaveDevice::Pull(std::span<std::int16_t> out) {
  std::lock_guard lock(mutex_);
  const bool playing = cursor_.FramesLeft() > 0;
  cursor_.Render(out);
  if (playing && cursor_.PlayedOut() && stoppedListener_) stoppedListener_();
}

void ManualWaveDevice::SetUnplugged(bool unplugged) {
  std::lock_guard lock(mutex_);
  unplugged_ = unplugged;
}

int ManualWaveDevice::WriteCount() const {
  std::lock_guard lock(mutex_);
  return writes_;
}
