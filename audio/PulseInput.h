#pragma once

#include <pulse/pulseaudio.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "audio/CaptureClock.h"
#include "audio/WaveFormat.h"

// The desktop's default input (a microphone), recorded through the sound server's own
// protocol while the player has asked Tocolo to listen: a connection and a stream of its own,
// made when listening starts and gone when it ends, so that otherwise the server shows no
// recording of Tocolo's at all. Nothing recorded is kept here: each piece is handed on.
//
// It records the input that was the default when it started, and no other: should that input
// go away, the recording ends, for the server is not let move it to another; and it never
// records the monitor of the output Tocolo plays to.
class PulseInput {
 public:
  // Called on the input's own thread with each piece as it comes, its first sample's number
  // counted from the recording's first: copies it and returns at once.
  using Consumer = std::function<void(std::span<const std::int16_t> samples, std::uint64_t first)>;
  enum class State { kConnecting, kRecording, kEnded };

  // Records mono 16-bit at the format's rate. `outputSink` names the sink Tocolo plays to
  // (empty if unknown), whose monitor is refused; `onEnded` is told, on the input's thread,
  // when recording ends by itself, and must only pass the news on.
  PulseInput(const WaveFormat& format, std::string outputSink, Consumer consumer,
             std::function<void()> onEnded);
  ~PulseInput();
  PulseInput(const PulseInput&) = delete;
  PulseInput& operator=(const PulseInput&) = delete;

  State GetState() const;
  // The input's name as the desktop shows it, once recording.
  std::string InputName() const;
  // Why recording ended by itself, or could not start, in a few words; empty otherwise.
  std::string Failure() const;
  // When each recorded sample was captured, once the server has said.
  std::optional<CaptureClock> Clock() const;

 private:
  void OnContextState();
  void OnDefaultSource(const char* name);
  void OnSourceInfo(const pa_source_info* info);
  void OnStreamState();
  void OnRead();
  void OnSourceEvent(pa_subscription_event_type_t type, std::uint32_t index);
  void AskWhereCaptureIs();
  void OnTimingReport();
  void End(const std::string& why);

  struct LoopDeleter {
    void operator()(pa_threaded_mainloop* loop) const;
  };

  // Fixed after construction.
  pa_sample_spec spec_;
  std::string outputSink_;
  Consumer consumer_;
  std::function<void()> onEnded_;
  std::unique_ptr<pa_threaded_mainloop, LoopDeleter> loop_;

  // Guarded by the main loop's lock.
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  pa_time_event* reportTimer_ = nullptr;
  std::uint32_t sourceIndex_ = PA_INVALID_INDEX;
  State state_ = State::kConnecting;
  std::string inputName_;
  std::string failure_;
  std::uint64_t recorded_ = 0;  // samples handed on
  std::array<CaptureClock, 64> reports_{};
  std::size_t reportCount_ = 0;
};
