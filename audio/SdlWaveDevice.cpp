#include "audio/SdlWaveDevice.h"

#include <dlfcn.h>

#include <cstdio>
#include <span>

namespace {

// Frames per device period: about 23 ms at 44.1 kHz. SDL refills a PulseAudio stream only
// once its buffer has drained, so shorter periods underrun on a busy machine (the server
// fills the gap with silence, and the loop loses its timing).
constexpr Uint16 kPeriodFrames = 1024;

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints every failed probe of a missing sound card to stderr; one line of ours says
// it better. The library stays loaded so that SDL's use of it keeps the quiet handler.
void QuietenAlsa() {
  static void* const alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
  if (alsa == nullptr) return;
  using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetErrorHandler = int (*)(ErrorHandler);
  if (auto set = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
    set(&IgnoreAlsaError);
  }
}

}  // namespace

SdlWaveDevice::SdlWaveDevice(const WaveFormat& format) : format_(format) {
  // SDL would otherwise turn Ctrl+C and SIGTERM into events nobody reads here.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tocolo");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Clave loop");
  QuietenAlsa();
  OpenStream();
}

SdlWaveDevice::~SdlWaveDevice() {
  CloseStream();
}

bool SdlWaveDevice::OpenStream() {
  if (format_.formatTag != kWaveFormatPcm || format_.bitsPerSample != 16 || format_.channels != 1) {
    return false;
  }
  // Initialising anew lets SDL pick whichever output works now, not the one that worked once.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format_.samplesPerSec);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kPeriodFrames;
    wanted.callback = &SdlWaveDevice::FillStream;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device_ != 0) {
      SDL_PauseAudioDevice(device_, 0);
      failureReported_ = false;
      return true;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  if (!failureReported_) {
    std::fprintf(stderr, "tocolo: no audio output (%s); START will try again\n", SDL_GetError());
    failureReported_ = true;
  }
  return false;
}

void SdlWaveDevice::CloseStream() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  device_ = 0;
}

bool SdlWaveDevice::Lost() const {
  // SDL marks an opened device stopped when its output disappears.
  return device_ == 0 || SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
}

bool SdlWaveDevice::Write(const WaveHeader& header) {
  if (header.data == nullptr) return false;
  if (Lost()) {
    CloseStream();
    if (!OpenStream()) return false;
  }
  SDL_LockAudioDevice(device_);
  cursor_.Start(header.data, FramesOf(header, format_), LoopsOf(header));
  SDL_UnlockAudioDevice(device_);
  return true;
}

bool SdlWaveDevice::Reset() {
  // With no stream there is nothing to silence. Otherwise SDL runs the fill callback under
  // the same lock, so once it is released here the callback has returned and will not see
  // the old buffer again.
  if (device_ == 0) return true;
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
