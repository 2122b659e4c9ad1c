#pragma once

#include <SDL2/SDL.h>

#include <memory>

#include "audio/LoopCursor.h"
#include "audio/WaveDevice.h"

// The default audio output of the desktop (PipeWire, PulseAudio, ALSA or JACK) through SDL2.
// The stream runs from Open until destruction, playing silence while nothing is written,
// so that a Write is heard at the next device period without starting a stream.
class SdlWaveDevice final : public WaveDevice {
 public:
  // Opens the default output for `format`; nullptr when there is none.
  static std::unique_ptr<SdlWaveDevice> Open(const WaveFormat& format);
  ~SdlWaveDevice() override;
  SdlWaveDevice(const SdlWaveDevice&) = delete;
  SdlWaveDevice& operator=(const SdlWaveDevice&) = delete;

  bool Write(const WaveHeader& header) override;
  bool Reset() override;

 private:
  explicit SdlWaveDevice(const WaveFormat& format);
  static void FillStream(void* self, Uint8* stream, int bytes);

  WaveFormat format_;
  SDL_AudioDeviceID device_ = 0;
  LoopCursor cursor_;  // guarded by SDL's device lock
};
