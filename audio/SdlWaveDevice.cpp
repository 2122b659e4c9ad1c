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
  periodFrames_ = obtained.samples;
  sdl_->PauseAudioDevice(device_, 0);
}

bool SdlWaveDevice::Lost() const {
  // SDL marks an opened device stopped when its output disappears.
  return device_ == 0 || sdl_->GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
}

bool SdlWaveDevice::PlayedOut() const {
  return playedOut_.load(std::memory_order_acquire);
}

void SdlWaveDevice::SetStoppedListener(std::function<void()> listener) {
  if (device_ == 0) {
    stoppedListener_ = std::move(listener);
    return;
  }
  sdl_->LockAudioDevice(device_);
  stoppedListener_ = std::move(listener);
  sdl_->UnlockAudioDevice(device_);
}

bool SdlWaveDevice::Write(const WaveHeader& header) {
  if (header.data == nullptr || device_ == 0) return false;
  sdl_->LockAudioDevice(device_);
  StartCursor(cursor_, header, format_);
  endHeard_.reset();
  playedOut_.store(false, std::memory_order_release);
  sdl_->UnlockAudioDevice(device_);
  sdl_->PauseAudioDevice(device_, 0);
  return true;
}

bool SdlWaveDevice::Reset() {
  // With no stream there is nothing to silence. Otherwise SDL runs the fill callback under
  // the same lock, so once it is released here the callback has returned and will not see
  // the old buffer again.
  if (device_ == 0) return true;
  sdl_->LockAudioDevice(device_);
  cursor_.Stop();
  endHeard_.reset();
  playedOut_.store(false, std::memory_order_release);
  sdl_->UnlockAudioDevice(device_);
  return true;
}

void SdlWaveDevice::FillStream(void* self, Uint8* stream, int bytes) {
  static_cast<SdlWaveDevice*>(self)->Fill(
      std::span(reinterpret_cast<std::int16_t*>(stream),
                static_cast<std::size_t>(bytes) / sizeof(std::int16_t)));
}

void SdlWaveDevice::Fill(std::span<std::int16_t> out) {
  const std::uint64_t left = cursor_.FramesLeft();
  cursor_.Render(out);
  const auto now = Clock::now();
  if (left > 0 && cursor_.FramesLeft() == 0) {
    const std::chrono::duration<double> untilHeard(static_cast<double>(left + periodFrames_) /
                                                   format_.samplesPerSec);
    endHeard_ = now + std::chrono::duration_cast<Clock::duration>(untilHeard);
  }
  if (!endHeard_ || now < *endHeard_) return;
  endHeard_.reset();
  playedOut_.store(true, std::memory_order_release);
  // SDL's own lock is recursive, so pausing from its callback is allowed.
  sdl_->PauseAudioDevice(device_, 1);
  if (stoppedListener_) stoppedListener_();
}
