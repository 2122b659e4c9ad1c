#pragma once

#include <SDL2/SDL.h>

#include <string>

#include "audio/LoopCursor.h"
#include "audio/SdlLibrary.h"
#include "audio/WaveDevice.h"

// The desktop's default audio output through SDL2, for desktops without a PulseAudio-protocol
// server (plain ALSA, JACK). The stream runs from opening until destruction, playing silence
// while nothing is written, so that a Write is heard at the next device period without
// starting a stream. A device that could not be opened, or whose output went away, stays
// lost; its owner opens a new one.
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
  // Why the output could not be opened; empty if it was.
  const std::string& Failure() const { return failure_; }

 private:
  void Open();
  static void FillStream(void* self, Uint8* stream, int bytes);

  WaveFormat format_;
  const SdlLibrary* sdl_;  // null when SDL2 is not installed
  SDL_AudioDeviceID device_ = 0;
  LoopCursor cursor_;  // guarded by SDL's device lock
  std::string failure_;
};
