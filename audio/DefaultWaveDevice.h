#pragma once

#include "audio/WaveDevice.h"

// The process's one output device: the desktop's default audio output, opened on first use
// and kept open until the process ends. Where there is no output yet, the device fails to
// play until one appears.
WaveDevice* OpenDefaultWaveDevice(const WaveFormat& format);

// For tests: while it lives, OpenDefaultWaveDevice answers `device` (which may be nullptr,
// standing for a machine without sound) instead of the real output.
class ScopedWaveDeviceOverride {
 public:
  explicit ScopedWaveDeviceOverride(WaveDevice* device);
  ~ScopedWaveDeviceOverride();
  ScopedWaveDeviceOverride(const ScopedWaveDeviceOverride&) = delete;
  ScopedWaveDeviceOverride& operator=(const ScopedWaveDeviceOverride&) = delete;

 private:
  const ScopedWaveDeviceOverride* previous_;
  WaveDevice* device_;
  friend WaveDevice* OpenDefaultWaveDevice(const WaveFormat&);
};
