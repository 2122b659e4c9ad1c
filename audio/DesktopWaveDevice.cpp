#include "audio/DesktopWaveDevice.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

DesktopWaveDevice::DesktopWaveDevice(const WaveFormat& format)
    : format_(format), choice_(ChoiceFromEnvironment()) {
  if (choice_ == Choice::Sdl) {
    sdl_ = std::make_unique<SdlWaveDevice>(format_);
  } else {
    pulse_ = std::make_unique<PulseWaveDevice>(format_);
  }
}

DesktopWaveDevice::Choice DesktopWaveDevice::ChoiceFromEnvironment() {
  const char* value = std::getenv("TOCOLO_AUDIO");
  const std::string_view choice = value != nullptr ? value : "";
  if (choice == "pulse") return Choice::Pulse;
  if (choice == "sdl") return Choice::Sdl;
  return Choice::Automatic;
}

WaveDevice* DesktopWaveDevice::Output() const {
  if (pulse_) return pulse_.get();
  return sdl_.get();
}

bool DesktopWaveDevice::Write(const WaveHeader& header) {
  if (pulse_) pulse_->WaitUntilReady(kConnectTimeout);
  if (Lost() && !Reopen()) return false;
  // A server still connecting after the wait refuses the Write; the next one waits again.
  if (!Output()->Write(header)) return false;
  failureReported_ = false;
  return true;
}

bool DesktopWaveDevice::Reset() {
  WaveDevice* output = Output();
  return output == nullptr || output->Reset();
}

bool DesktopWaveDevice::Lost() const {
  const WaveDevice* output = Output();
  return output == nullptr || output->Lost();
}

bool DesktopWaveDevice::PlayedOut() const {
  const WaveDevice* output = Output();
  return output != nullptr && output->PlayedOut();
}

void DesktopWaveDevice::SetStoppedListener(std::function<void()> listener) {
  stoppedListener_ = std::move(listener);
  if (WaveDevice* output = Output()) output->SetStoppedListener(stoppedListener_);
}

std::optional<LoopClock> DesktopWaveDevice::HeardClock() const {
  const WaveDevice* output = Output();
  return output != nullptr ? output->HeardClock() : std::nullopt;
}

void DesktopWaveDevice::SetClockWanted(bool wanted) {
  clockWanted_ = wanted;
  if (WaveDevice* output = Output()) output->SetClockWanted(wanted);
}

std::string DesktopWaveDevice::SinkName() const {
  const WaveDevice* output = Output();
  return output != nullptr ? output->SinkName() : std::string();
}

std::uint64_t DesktopWaveDevice::Underruns() const {
  const WaveDevice* output = Output();
  return earlierUnderruns_ + (output != nullptr ? output->Underruns() : 0);
}

bool DesktopWaveDevice::Reopen() {
  if (const WaveDevice* output = Output()) earlierUnderruns_ += output->Underruns();
  pulse_.reset();
  sdl_.reset();
  std::string reason;
  if (choice_ != Choice::Sdl) {
    pulse_ = std::make_unique<PulseWaveDevice>(format_);
    pulse_->SetStoppedListener(stoppedListener_);
    pulse_->SetClockWanted(clockWanted_);
    // Still connecting counts as found: the Write that follows says whether it is ready.
    if (pulse_->WaitUntilReady(kConnectTimeout) || !pulse_->Lost()) return true;
    reason = "sound server: " + pulse_->Failure();
    if (choice_ == Choice::Automatic) pulse_.reset();
  }
  if (choice_ != Choice::Pulse) {
    sdl_ = std::make_unique<SdlWaveDevice>(format_);
    sdl_->SetStoppedListener(stoppedListener_);
    if (!sdl_->Lost()) return true;
    reason += (reason.empty() ? "" : "; ") + std::string("SDL: ") + sdl_->Failure();
  }
  if (!failureReported_) {
    std::fprintf(stderr, "tocolo: no audio output (%s); START will try again\n", reason.c_str());
    failureReported_ = true;
  }
  return false;
}
