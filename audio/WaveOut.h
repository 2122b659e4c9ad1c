#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "audio/LoopClock.h"
#include "audio/WaveFormat.h"

// The output channel: plays one buffer on the default output device, looped a given number
// of times, or stops it. The device is opened once per process and never closed by a
// channel. `playing` says whether the channel last started or stopped it successfully; the
// device is asked only whether it is still there and still has repetitions to play.
class CWaveOut {
 public:
  CWaveOut();
  virtual ~CWaveOut() = default;
  CWaveOut(const CWaveOut&) = delete;
  CWaveOut& operator=(const CWaveOut&) = delete;

  bool Open();
  bool InitHeader();
  bool SetBuffer(const std::int16_t* data);
  bool SetLength(std::uint32_t bytes);
  // Every `cycle`-th repetition of the loop plays silent (2: every second; 0 or 1: none).
  // Takes effect at the next Play.
  bool SetSilentCycle(std::uint32_t cycle);
  void SetSampleRate(std::uint32_t samplesPerSec);
  void SetBitsPerSample(std::uint16_t bitsPerSample);
  void SetChannels(std::uint16_t channels);
  std::uint32_t RecomputeFormat();

  bool Play(std::uint32_t loops);
  bool Stop();
  // Whether the channel started the device and has not stopped it since, unless the device
  // has gone away meanwhile or has played every repetition and fallen silent.
  bool IsPlaying() const;
  // Whom the device tells, on its own thread, when it stops by itself (see WaveDevice).
  void SetStoppedListener(std::function<void()> listener);
  // When the loop playing is heard, where the device can tell (see WaveDevice).
  std::optional<LoopClock> HeardClock() const;
  void SetClockWanted(bool wanted);
  std::string SinkName() const;

  const WaveHeader& Header() const { return header; }

  static constexpr std::uint16_t kChannels = kCdMono.channels;
  static constexpr std::uint32_t kSamplesPerSec = kCdMono.samplesPerSec;
  static constexpr std::uint16_t kBitsPerSample = kCdMono.bitsPerSample;

 private:
  bool PrepareHeader() const;

  bool playing = false;
  WaveHeader header;
  WaveFormat format;
};
