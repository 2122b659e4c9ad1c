#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "support/measure/StreamTimeline.h"

// Records a source of the sound server that PULSE_SERVER names, through its own protocol, in
// pieces of at most `piece`, and places every sample in time by the recording stream's own
// timing reports: for a sink's monitor, when the sink played it. What the program under test
// says of its own sound is checked against this.
class PulseRecorder {
 public:
  using Clock = std::chrono::steady_clock;
  // Told of each piece as it arrives, on the recorder's own thread, which it holds up.
  using PieceListener = std::function<void(std::span<const std::int16_t>)>;

  explicit PulseRecorder(const std::string& source, unsigned rate = 44100,
                         std::chrono::milliseconds piece = std::chrono::milliseconds(2),
                         PieceListener listener = {});
  ~PulseRecorder();
  PulseRecorder(const PulseRecorder&) = delete;
  PulseRecorder& operator=(const PulseRecorder&) = delete;

  // True once the stream records; false if it could not be made.
  bool WaitUntilRecording(std::chrono::milliseconds timeout);
  bool WaitForSamples(std::size_t frames, std::chrono::milliseconds timeout);
  // Ends the recording; afterwards the samples and their times are complete.
  void Finish();

  const std::vector<std::int16_t>& samples() const { return samples_; }
  // What has been recorded so far, while recording goes on.
  std::vector<std::int16_t> SamplesSoFar() const;
  // When sample `index` (fractions allowed) was heard, by the reports around it, or, for a
  // sample to come, when it will be by the latest; nullopt before the first report.
  std::optional<Clock::time_point> HeardAt(double index) const { return timeline_.HeardAt(index); }
  const StreamTimeline& Timeline() const { return timeline_; }
  // The most samples one piece brought: the recording's grain.
  std::size_t LargestPiece() const;
  // Pieces the server said were lost (a hole in the stream); each is recorded as silence.
  std::size_t Holes() const;

 private:
  void OnContextState();
  void OnRead();
  void OnTiming();
  void AskForTiming();

  std::string source_;
  std::chrono::milliseconds piece_;
  PieceListener listener_;
  pa_sample_spec spec_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  pa_time_event* timer_ = nullptr;
  bool finished_ = false;

  mutable std::mutex mutex_;  // between the loop's thread and the test
  std::vector<std::int16_t> samples_;
  StreamTimeline timeline_;
  std::size_t largestPiece_ = 0;
  std::size_t holes_ = 0;
};
