#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>

#include "support/measure/StreamTimeline.h"

// A playback stream into one sink of the sound server that PULSE_SERVER names, 16-bit mono,
// fed by its owner in order and started when the owner says. Every sample is placed in time
// by the stream's own timing reports: for a null sink, when the sink plays it, as a recording
// of its monitor places it. The server never waits for a full queue and never stops on an
// empty one, so sample n of the stream plays n samples after its first whatever happens; a
// queue that runs dry and one that overflows are counted.
class PulseFeed {
 public:
  using Clock = StreamTimeline::Clock;

  // Starts connecting, corked. The sink is asked to mix in blocks of `blockFrames`: it takes
  // each block from the queue that long before playing it, so the queue the owner keeps need
  // only be a little longer.
  PulseFeed(const std::string& sink, unsigned rate, std::size_t blockFrames);
  ~PulseFeed();
  PulseFeed(const PulseFeed&) = delete;
  PulseFeed& operator=(const PulseFeed&) = delete;

  bool Ready() const { return ready_.load(std::memory_order_acquire); }
  // Appends to what the stream plays; from any thread but the stream's own. False if the
  // stream is not there to take them.
  bool Write(std::span<const std::int16_t> samples);
  // Uncorks: from here the server takes the samples at its sink's rate.
  void Start();

  std::uint64_t Underruns() const { return underruns_.load(std::memory_order_relaxed); }
  std::uint64_t Overruns() const { return overruns_.load(std::memory_order_relaxed); }
  const StreamTimeline& Timeline() const { return timeline_; }

 private:
  void OnContextState();
  void OnStreamState();
  void AskForTiming();
  void OnTiming();

  std::string sink_;
  std::size_t blockFrames_;
  pa_sample_spec spec_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  pa_time_event* timer_ = nullptr;
  bool started_ = false;  // the uncork is taken; under the loop's lock

  std::atomic<bool> ready_ = false;
  std::atomic<std::uint64_t> underruns_ = 0;
  std::atomic<std::uint64_t> overruns_ = 0;
  StreamTimeline timeline_;
};
