#include "audio/DefaultWaveDevice.h"

#include "audio/DesktopWaveDevice.h"

namespace {

// Only tests install overrides, on the thread that opens devices.
const ScopedWaveDeviceOverride* g_override = nullptr;

}  // namespace

ScopedWaveDeviceOverride::ScopedWaveDeviceOverride(WaveDevice* device)
    : previous_(g_override), device_(device) {
  g_override = this;
}

ScopedWaveDeviceOverride::~ScopedWaveDeviceOverride() {
  g_override = previous_;
}

WaveDevice* OpenDefaultWaveDevice(const WaveFormat& format) {
  if (g_override != nullptr) return g_override->device_;
  // Opened once; closed when the process ends, after every user of it is gone.
  static DesktopWaveDevice device(format);
  return &device;
}
