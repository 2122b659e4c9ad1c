#pragma once

#include <pulse/pulseaudio.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audio/LoopCursor.h"
#include "audio/PlaybackPosition.h"
#include "audio/WaveDevice.h"

// The desktop's sound server, spoken to in its own protocol: PulseAudio, and PipeWire through
// pipewire-pulse. The server keeps a deep queue of the loop, so a process that stalls for a
// while never runs it dry, yet a start or a stop is heard at once: both drop whatever the
// server holds. Stopped, the stream is corked: nothing flows and nothing runs here.
//
// Starting is two steps. The stream is uncorked behind a lead of silence; once the server
// has taken it (the uncork is acknowledged), the loop is written at the read index, in place
// of the silence still queued. So the loop joins the sound the sink is about to mix, and
// whatever the sink already holds of the lead plays first: the loop is never rewound into
// sound the sink has already passed on, and its first sample is always heard.
//
// Ending is the server's to tell, from its playback position. The first timing report after
// the start says where in the stream the loop begins, and so where its last repetition ends;
// once that is written, nothing more is, and further reports (when the last byte is written,
// when it is due to be heard, when the queue runs dry) say how far the server has played.
// When its position has passed the loop's last byte and the sink's latency has gone by, the
// loop has been heard to its end: the stream is corked, and the device reports itself played
// out. An underflow only prompts a report; it is an underrun only if the server ran dry
// inside the loop, which the index it gives says: one from before the loop, a restart's or
// the lead's, or at its end, is none.
class PulseWaveDevice final : public WaveDevice {
 public:
  // How much sound the server keeps queued. The server asks for more each time a refill's
  // worth has played, so it holds `target` of the loop at the least and a refill more at the
  // most; `inSink` of it sits in the sink, so that even a stall of the server itself
  // (PipeWire's graph runs in quanta of this length) is ridden out.
  struct Queue {
    std::chrono::milliseconds target{300};
    std::chrono::milliseconds inSink{50};
    std::chrono::milliseconds lead{100};  // silence that covers a start until it is taken
  };

  // Starts connecting to the default server in the background and returns at once.
  explicit PulseWaveDevice(const WaveFormat& format);
  PulseWaveDevice(const WaveFormat& format, Queue queue);
  ~PulseWaveDevice() override;
  PulseWaveDevice(const PulseWaveDevice&) = delete;
  PulseWaveDevice& operator=(const PulseWaveDevice&) = delete;

  // Waits, for at most `timeout`, until the stream is ready or the connection has failed;
  // true once it is ready.
  bool WaitUntilReady(std::chrono::milliseconds timeout);
  // Why the connection failed or was lost; empty while it holds.
  std::string Failure() const;
  bool Write(const WaveHeader& header) override;
  bool Reset() override;
  bool Lost() const override { return lost_.load(std::memory_order_acquire); }
  bool PlayedOut() const override { return playedOut_.load(std::memory_order_acquire); }
  std::uint64_t Underruns() const override { return underruns_.load(std::memory_order_relaxed); }
  void SetStoppedListener(std::function<void()> listener) override;
  // From the server's timing reports of the last half minute, fitted to its clock (see
  // FitPlayback).
  std::optional<LoopClock> HeardClock() const override;
  void SetClockWanted(bool wanted) override;
  std::string SinkName() const override;

 private:
  // Draining: every repetition is written; the server plays what it holds.
  enum class Phase { Stopped, Starting, Playing, Draining };

  // Each runs with the main loop's lock held: as its callbacks, on its thread, or from
  // Write and Reset.
  void OnContextState();
  void OnStreamState();
  void ConnectStream();
  void MarkLost();
  void WriteLoop(std::size_t bytes, pa_seek_mode_t seek);
  void WriteSilence(std::size_t bytes, pa_seek_mode_t seek);
  void OnUncorked(bool success);
  void Silence();
  void OnUnderflow();
  void CountUnderrun();
  void AskWherePlaybackIs();
  void OnTimingReport(bool success);
  void ClassifyUnderflow(std::int64_t index);
  void CheckForEnd(const PlaybackPosition& position);
  void CheckForEndAt(PlaybackPosition::Clock::time_point when);
  void OnEndCheckDue();
  void KeepClockFresh();
  void EndOfLoop();
  void ForgetLoop();
  std::int64_t LoopEnd() const { return *loopStart_ + static_cast<std::int64_t>(loopBytes_); }

  struct LoopDeleter {
    void operator()(pa_threaded_mainloop* loop) const;
  };
  struct ContextDeleter {
    void operator()(pa_context* context) const;
  };
  struct StreamDeleter {
    void operator()(pa_stream* stream) const;
  };

  // Fixed after construction. Declared first so that they go last: the stream before the
  // context, the context before the loop.
  WaveFormat format_;
  Queue queue_;
  pa_sample_spec spec_;
  std::unique_ptr<pa_threaded_mainloop, LoopDeleter> loop_;
  std::unique_ptr<pa_context, ContextDeleter> context_;

  // Guarded by the main loop's lock: written by its callbacks and by Write and Reset.
  std::unique_ptr<pa_stream, StreamDeleter> stream_;
  bool ready_ = false;
  std::size_t queueBytes_ = 0;
  std::string failure_;
  Phase phase_ = Phase::Stopped;
  bool uncorkPending_ = false;
  LoopCursor cursor_;
  std::uint64_t loopBytes_ = 0;            // every repetition of the loop together
  std::uint64_t loopBytesWritten_ = 0;     // since its first byte
  std::optional<std::int64_t> loopStart_;  // where in the stream its first byte went
  // Underflows that came before the loop's place in the stream was known.
  std::array<std::int64_t, 4> earlyUnderflows_{};
  std::size_t earlyUnderflowCount_ = 0;
  pa_operation* timingReport_ = nullptr;  // asked for and not yet answered
  PlaybackPosition::Clock::time_point timingAskedAt_;
  pa_time_event* endCheck_ = nullptr;
  std::function<void()> stoppedListener_;
  // The latest reports since the loop's place in the stream was known, the newest at
  // (reportCount_ - 1) % size.
  std::array<PlaybackPosition, 32> reports_{};
  std::size_t reportCount_ = 0;
  std::uint64_t starts_ = 0;  // Writes that started a loop
  bool clockWanted_ = false;
  pa_time_event* clockRefresh_ = nullptr;

  // Atomics, read without the lock.
  std::atomic<bool> lost_ = false;
  std::atomic<std::uint64_t> underruns_ = 0;
  std::atomic<bool> playedOut_ = false;
};
