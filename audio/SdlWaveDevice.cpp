#include "audio/SdlWaveDevice.h"

#include <cstdio>
#include <span>

namespace {

// Frames per device period: about 23 ms at 44.1 kHz. Shorter periods underrun on a busy
// machine (a sound server fills the gap with silence, and the loop loses its timing); this
// one keeps a start or stop within a few tens of milliseconds.
constexpr Uint16 kPeriodFrames = 1024;

}  // namespace

SdlWaveDevice::SdlWaveDevice(const WaveFormat& format) : format_(format) {}

std::unique_ptr<SdlWaveDevice> SdlWaveDevice::Open(const WaveFormat& format) {
  if (format.formatTag != kWaveFormatPcm || format.bitsPerSample != 16 || format.channels != 1) {
    return nullptr;
  }
  // SDL would otherwise turn Ctrl+C and SIGTERM into events nobody reads here.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tocolo");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Clave loop");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "tocolo: no audio output: %s\n", SDL_GetError());
    return nullptr;
  }
  std::unique_ptr<SdlWaveDevice> device(new SdlWaveDevice(format));
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(format.samplesPerSec);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = kPeriodFrames;
  wanted.callback = &SdlWaveDevice::FillStream;
  wanted.userdata = device.get();
  SDL_AudioSpec obtained{};
  device->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device->device_ == 0) {
    std::fprintf(stderr, "tocolo: no audio output: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  SDL_PauseAudioDevice(device->device_, 0);
  return device;
}

SdlWaveDevice::~SdlWaveDevice() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

bool SdlWaveDevice::Write(const WaveHeader& header) {
  if (header.data == nullptr) return false;
  SDL_LockAudioDevice(device_);
  cursor_.Start(header.data, FramesOf(header, format_), LoopsOf(header));
  SDL_UnlockAudioDevice(device_);
  return true;
}

bool SdlWaveDevice::Reset() {
  // SDL runs the fill callback under the same lock, so once it is released here the
  // callback has returned and will not see the old buffer again.
  SDL_LockAudioDevice(device_);
  cursor_.Stop();
  SDL_UnlockAudioDevice(device_);
  return true;
}

void SdlWaveDevice::FillStream(void* self, Uint8* stream, int bytes) {
  auto* device = static_cast<SdlWaveDevice*>(self);
  device->cursor_.Render(std::span(reinterpret_cast<std::int16_t*>(stream),
                                   static_cast<std::size_t>(bytes) / sizeof(std::int16_t)));
}
