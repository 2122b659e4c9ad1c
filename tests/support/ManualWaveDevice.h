#pragma once

#include <mutex>
#include <span>

#include "audio/LoopCursor.h"
#include "audio/WaveDevice.h"

// A device that plays only when pulled: whoever holds it asks for the next frames, as a
// sound card's clock would. Lets tests hear exactly what the output would play, at any
// speed, without a sound server.
class ManualWaveDevice final : public WaveDevice {
 public:
  explicit ManualWaveDevice(const WaveFormat& format);

  bool Write(const WaveHeader& header) override;
  bool Reset() override;
  bool PlayedOut() const override;
  void SetStoppedListener(std::function<void()> listener) override;
  std::optional<LoopClock> HeardClock() const override;

  // The loop the last Write started is heard from `firstFrame` on, at the format's rate, as
  // a sound card's clock would play it; until this is called the device cannot tell.
  void HearFrom(LoopClock::Clock::time_point firstFrame);

  // The next out.size() frames of sound. The pull that plays the last repetition's last
  // frame tells the stopped listener, on the puller's thread.
  void Pull(std::span<std::int16_t> out);

  // While unplugged, Write and Reset fail as a device that has gone away would.
  void SetUnplugged(bool unplugged);
  int WriteCount() const;

 private:
  mutable std::mutex mutex_;
  WaveFormat format_;
  LoopCursor cursor_;
  std::function<void()> stoppedListener_;
  std::optional<LoopClock::Clock::time_point> firstFrameHeard_;
  bool unplugged_ = false;
  int writes_ = 0;
};
