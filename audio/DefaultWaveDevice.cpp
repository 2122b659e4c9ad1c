#include "audio/DefaultWaveDevice.h"

#include <memory>

#include "audio/PulseWaveDevice.h"
#include "audio/SdlWaveDevice.h"

namespace {

// Only tests install overrides, on the thread that opens devices.
const ScopedWaveDeviceOverride* g_override = nullptr;

// A PulseAudio server, spoken to directly, starts and stops sound at once; SDL2 reaches
// every other kind of output.
std::unique_ptr<WaveDevice> OpenBestOutput(const WaveFormat& format) {
  if (auto pulse = PulseWaveDevice::Connect(format)) return pulse;
  return std::make_unique<SdlWaveDevice>(format);
}

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
  static const std::unique_ptr<WaveDevice> device = OpenBestOutput(format);
  return device.get();
}
