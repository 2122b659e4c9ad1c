#include "audio/SdlWaveDevice.h"

#include <dlfcn.h>

#include <span>

#include "audio/SdlLibrary.h"

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

SdlWaveDevice::SdlWaveDevice(const WaveFormat& format) : format_(format), sdl_(SdlLibrary::Get()) {
  if (sdl_ == nullptr) {
    failure_ = "libSDL2-2.0.so.0 is not installed";
    return;
  }
  // SDL would otherwise turn Ctrl+C and SIGTERM into events nobody reads here.
  sdl_->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  sdl_->SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tocolo");
  sdl_->SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Clave loop");
  QuietenAlsa();
  Open();
}

SdlWaveDevice::~SdlWaveDevice() {
  if (device_ == 0) return;
  sdl_->CloseAudioDevice(device_);
  sdl_->QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlWaveDevice::Open() {
  if (!IsMono16(format_)) {
    failure_ = "unsupported format";
    return;
  }
  // Initialising anew lets SDL pick whichever output works now, not the one that worked once.
  if (sdl_->InitSubSystem(SDL_INIT_AUDIO) != 0) {
    failure_ = sdl_->GetError();
    return;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(format_.samplesPerSec);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = kPeriodFrames;
  wanted.callback = &SdlWaveDevice::FillStream;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  device_ = sdl_->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) {
    failure_ = sdl_->GetError();
    sdl_->QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  sdl_->PauseAudioDevice(device_, 0);
}

bool SdlWaveDevice::Lost() const {
  // SDL marks an opened device stopped when its output disappears.
  return device_ == 0 || sdl_->GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
}

bool SdlWaveDevice::PlayedOut() const {
  // The fill callback has handed SDL the last frame; what SDL still holds is a period or so.
  if (device_ == 0) return false;
  sdl_->LockAudioDevice(device_);
  const bool playedOut = cursor_.PlayedOut();
  sdl_->UnlockAudioDevice(device_);
  return playedOut;
}

bool SdlWaveDevice::Write(const WaveHeader& header) {
  if (header.data == nullptr || device_ == 0) return false;
  sdl_->LockAudioDevice(device_);
  StartCursor(cursor_, header, format_);
  sdl_->UnlockAudioDevice(device_);
  return true;
}

bool SdlWaveDevice::Reset() {
  // With no stream there is nothing to silence. Otherwise SDL runs the fill callback under
  // the same lock, so once it is released here the callback has returned and will not see
  // the old buffer again.
  if (device_ == 0) return true;
  sdl_->LockAudioDevice(device_);
  cursor_.Stop();
  sdl_->UnlockAudioDevice(device_);
  return true;
}

void SdlWaveDevice::FillStream(void* self, Uint8* stream, int bytes) {
  auto* device = static_cast<SdlWaveDevice*>(self);
  device->cursor_.Render(std::span(reinterpret_cast<std::int16_t*>(stream),
                                   static_cast<std::size_t>(bytes) / sizeof(std::int16_t)));
}
