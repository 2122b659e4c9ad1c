#pragma once

#include <pulse/pulseaudio.h>

#include <memory>

#include "audio/LoopCursor.h"
#include "audio/WaveDevice.h"

// The desktop's PulseAudio (or PipeWire's PulseAudio) server, spoken to directly so that a
// start or a stop is heard at once: both drop whatever the server still holds of the old
// sound, while in between the server keeps a comfortable buffer against a busy machine.
// Stopped, the stream is corked and costs nothing. A server that went away is connected
// to afresh by the next Write, once.
class PulseWaveDevice final : public WaveDevice {
 public:
  // Connects to the default server; nullptr when there is none.
  static std::unique_ptr<PulseWaveDevice> Connect(const WaveFormat& format);
  ~PulseWaveDevice() override;
  PulseWaveDevice(const PulseWaveDevice&) = delete;
  PulseWaveDevice& operator=(const PulseWaveDevice&) = delete;

  bool Write(const WaveHeader& header) override;
  bool Reset() override;
  bool Lost() const override;

 private:
  explicit PulseWaveDevice(const WaveFormat& format);
  bool Open();
  void Close();
  // Called with the main loop locked.
  bool WaitUntilReady();
  // Writes the next `bytes` of the loop, the first of them at `seek`.
  void Fill(std::size_t bytes, pa_seek_mode_t seek);
  static void OnWritable(pa_stream* stream, std::size_t bytes, void* self);

  WaveFormat format_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  LoopCursor cursor_;  // guarded by the main loop's lock
};
