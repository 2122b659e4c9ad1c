#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/LoopCursor.h"
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
// Ending is the server's to tell. After the last repetition comes a short tail of silence
// that carries it through the sink, then nothing more is written; when the queue runs dry,
// the loop has been heard to its end: the stream is corked, that is no underrun, and the
// device reports itself played out.
class PulseWaveDevice final : public WaveDevice {
 public:
  // How much sound the server keeps queued. The defaults keep 300 ms queued, of which 50 ms
  // sit in the sink, so that even a stall of the server itself (PipeWire's graph runs in
  // quanta of this length) is ridden out; more is asked for each time 125 ms have played.
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

 private:
  // Draining: everything is written, the tail included; the server plays what it holds.
  enum class Phase { Stopped, Starting, Playing, Draining };

  // The rest run with the main loop locked: they are its callbacks or called from them.
  void OnContextState();
  void OnStreamState();
  void ConnectStream();
  void MarkLost();
  void WriteLoop(std::size_t bytes, pa_seek_mode_t seek);
  void WriteSilence(std::size_t bytes, pa_seek_mode_t seek);
  std::size_t EndingTailBytes() const;
  void OnUncorked(bool success);
  void Silence();
  void OnUnderflow();

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
  std::size_t tailLeft_ = 0;  // bytes of silence still to follow the last repetition
  LoopCursor cursor_;

  // Atomics, read without the lock.
  std::atomic<bool> lost_ = false;
  std::atomic<std::uint64_t> underruns_ = 0;
  std::atomic<bool> playedOut_ = false;
};
