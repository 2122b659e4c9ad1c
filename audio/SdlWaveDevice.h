#pragma once

#include <SDL2/SDL.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "audio/LoopCursor.h"
#include "audio/SdlLibrary.h"
#include "audio/WaveDevice.h"

// The desktop's default audio output through SDL2, for desktops without a PulseAudio-protocol
// server (plain ALSA, JACK). The stream runs from opening, playing silence while nothing is
// written, so that a Write is heard at the next device period without starting a stream. A device
// that could not be opened, or whose output went away, stays lost; its owner opens a new one.
//
// SDL says nothing of when what it was handed is heard. The period holding the last frame of
// the last repetition plays after the one SDL holds ahead of it, so the end is reported that
// long after the callback wrote it; then SDL is paused, and asks for nothing more until the
// next Write.
class SdlWaveDevice final : public WaveDevice {
 public:
  explicit SdlWaveDevice(const WaveFormat& format);
  ~SdlWaveDevice() override;
  SdlWaveDevice(const SdlWaveDevice&) = delete;
  SdlWaveDevice& operator=(const SdlWaveDevice&) = delete;

  bool Write(const WaveHeader& header) override;
  bool Reset() override;
  bool Lost() const override;
  bool PlayedOut() const override;
  void SetStoppedListener(std::function<void()> listener) override;
  // Why the output could not be opened; empty if it was.
  const std::string& Failure() const { return failure_; }

 private:
  void Open();
  static void FillStream(void* self, Uint8* stream, int bytes);
  void Fill(std::span<std::int16_t> out);

  using Clock = std::chrono::steady_clock;

  WaveFormat format_;
  const SdlLibrary* sdl_;  // null when SDL2 is not installed
  SDL_AudioDeviceID device_ = 0;
  std::uint32_t periodFrames_ = 0;  // as SDL opened the device
  std::string failure_;
  // Guarded by SDL's device lock: the fill callback runs with it held.
  LoopCursor cursor_;
  std::optional<Clock::time_point> endHeard_;  // once the last frame is handed to SDL
  std::function<void()> stoppedListener_;
  std::atomic<bool> playedOut_ = false;
};
