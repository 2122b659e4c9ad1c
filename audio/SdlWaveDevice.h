#pragma once

#include <SDL2/SDL.h>

#include "audio/LoopCursor.h"
#include "audio/WaveDevice.h"

// The default audio output of the desktop (PipeWire, PulseAudio, ALSA or JACK) through SDL2.
// The stream runs from opening until destruction, playing silence while nothing is written,
// so that a Write is heard at the next device period without starting a stream. An output
// that could not be opened, or that went away (its sound server died), is opened afresh by
// the next Write, once.
class SdlWaveDevice final : public WaveDevice {
 public:
  explicit SdlWaveDevice(const WaveFormat& format);
  ~SdlWaveDevice() override;
  SdlWaveDevice(const SdlWaveDevice&) = delete;
  SdlWaveDevice& operator=(const SdlWaveDevice&) = delete;

  bool Write(const WaveHeader& header) override;
  bool Reset() override;
  bool Lost() const override;

 private:
  bool OpenStream();
  void CloseStream();
  static void FillStream(void* self, Uint8* stream, int bytes);

  WaveFormat format_;
  SDL_AudioDeviceID device_ = 0;
  LoopCursor cursor_;  // guarded by SDL's device lock
  bool failureReported_ = false;
};
