#pragma once

#include <chrono>
#include <memory>

#include "audio/PulseWaveDevice.h"
#include "audio/SdlWaveDevice.h"
#include "audio/WaveDevice.h"

// The desktop's default audio output. Where a PulseAudio-protocol server answers (PulseAudio
// itself, or PipeWire's pipewire-pulse) the loop goes to it directly; elsewhere (plain ALSA,
// JACK) through SDL2. TOCOLO_AUDIO=pulse or TOCOLO_AUDIO=sdl forces one of the two.
//
// The server is connected to in the background, so opening costs the window nothing; a Write
// that comes first waits for the connection, at most kConnectTimeout. An output that is lost
// (its server died) is replaced by a fresh one at the next Write, once; when none can be had,
// that Write fails and one line on stderr says why.
class DesktopWaveDevice final : public WaveDevice {
 public:
  static constexpr std::chrono::milliseconds kConnectTimeout{1000};

  explicit DesktopWaveDevice(const WaveFormat& format);

  bool Write(const WaveHeader& header) override;
  bool Reset() override;
  bool Lost() const override;
  bool PlayedOut() const override;
  std::uint64_t Underruns() const override;
  void SetStoppedListener(std::function<void()> listener) override;
  std::optional<LoopClock> HeardClock() const override;
  void SetClockWanted(bool wanted) override;
  std::string SinkName() const override;

 private:
  enum class Choice { Automatic, Pulse, Sdl };
  static Choice ChoiceFromEnvironment();

  WaveDevice* Output() const;
  // Replaces the output with a fresh one; false, with the reason reported, if there is none.
  bool Reopen();

  WaveFormat format_;
  Choice choice_;
  std::unique_ptr<PulseWaveDevice> pulse_;
  std::unique_ptr<SdlWaveDevice> sdl_;  // only while there is no PulseAudio-protocol output
  std::uint64_t earlierUnderruns_ = 0;  // of the outputs replaced
  // Handed to each output in turn.
  std::function<void()> stoppedListener_;
  bool clockWanted_ = false;
  bool failureReported_ = false;
};
