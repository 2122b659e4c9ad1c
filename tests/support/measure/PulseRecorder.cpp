#include "support/measure/PulseRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "audio/MainLoopLock.h"

namespace {

using namespace std::chrono_literals;

// How often the stream is asked where it is: often enough that a report is always near.
constexpr auto kReportEvery = 20ms;

}  // namespace

PulseRecorder::PulseRecorder(const std::string& source, unsigned rate,
                             std::chrono::milliseconds piece, PieceListener listener)
    : source_(source),
      piece_(piece),
      listener_(std::move(listener)),
      spec_{PA_SAMPLE_S16LE, rate, 1},
      timeline_(rate) {
  loop_ = pa_threaded_mainloop_new();
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "tocolo test recorder");
  pa_context_set_state_callback(
      context_,
      [](pa_context*, void* self) { static_cast<PulseRecorder*>(self)->OnContextState(); }, this);
  pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
  pa_threaded_mainloop_start(loop_);
}

PulseRecorder::~PulseRecorder() {
  Finish();
  pa_threaded_mainloop_stop(loop_);
  if (timer_ != nullptr) pa_threaded_mainloop_get_api(loop_)->time_free(timer_);
  if (stream_ != nullptr) pa_stream_unref(stream_);
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  pa_threaded_mainloop_free(loop_);
}

void PulseRecorder::OnContextState() {
  pa_threaded_mainloop_signal(loop_, 0);
  if (pa_context_get_state(context_) != PA_CONTEXT_READY || stream_ != nullptr) return;
  stream_ = pa_stream_new(context_, "recorder", &spec_, nullptr);
  pa_stream_set_read_callback(
      stream_,
      [](pa_stream*, std::size_t, void* self) { static_cast<PulseRecorder*>(self)->OnRead(); },
      this);
  pa_stream_set_state_callback(
      stream_,
      [](pa_stream*, void* self) {
        pa_threaded_mainloop_signal(static_cast<PulseRecorder*>(self)->loop_, 0);
      },
      this);
  // With ADJUST_LATENCY the server sends a piece as soon as it holds fragsize.
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.fragsize = static_cast<std::uint32_t>(
      pa_usec_to_bytes(static_cast<pa_usec_t>(std::chrono::microseconds(piece_).count()), &spec_));
  pa_stream_connect_record(stream_, source_.c_str(), &attributes, PA_STREAM_ADJUST_LATENCY);
  AskForTiming();
}

bool PulseRecorder::WaitUntilRecording(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    {
      const MainLoopLock lock(loop_);
      if (stream_ != nullptr && pa_stream_get_state(stream_) == PA_STREAM_READY) return true;
    }
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

bool PulseRecorder::WaitForSamples(std::size_t frames, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    {
      const std::lock_guard lock(mutex_);
      if (samples_.size() >= frames) return true;
    }
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

void PulseRecorder::Finish() {
  const MainLoopLock lock(loop_);
  if (finished_ || stream_ == nullptr) return;
  finished_ = true;
  pa_stream_set_read_callback(stream_, nullptr, nullptr);
  pa_stream_disconnect(stream_);
}

void PulseRecorder::OnRead() {
  const void* data = nullptr;
  std::size_t bytes = 0;
  while (pa_stream_readable_size(stream_) > 0 && pa_stream_peek(stream_, &data, &bytes) == 0 &&
         bytes > 0) {
    const std::size_t frames = bytes / sizeof(std::int16_t);
    std::size_t start = 0;
    {
      const std::lock_guard lock(mutex_);
      start = samples_.size();
      samples_.resize(start + frames, 0);  // a hole in the stream stays silence
      if (data != nullptr)
        std::memcpy(samples_.data() + start, data, frames * sizeof(std::int16_t));
      largestPiece_ = std::max(largestPiece_, frames);
      if (data == nullptr) ++holes_;
    }
    pa_stream_drop(stream_);
    // Only this thread makes the recording longer, so the piece stays where it is meanwhile.
    if (listener_) listener_(std::span(samples_).subspan(start, frames));
  }
}

void PulseRecorder::AskForTiming() {
  if (finished_) return;
  AskForTimingAndAgain<&PulseRecorder::OnTiming, &PulseRecorder::AskForTiming>(
      context_, stream_, stream_ != nullptr && pa_stream_get_state(stream_) == PA_STREAM_READY,
      timer_, kReportEvery, this);
}

void PulseRecorder::OnTiming() {
  const pa_timing_info* info = pa_stream_get_timing_info(stream_);
  if (info == nullptr || info->write_index_corrupt) return;
  // The sample being captured at the report's time lies the source's latency beyond what the
  // server has queued; a monitor captures what its sink is about to play, the sink's latency
  // before it is heard.
  const double capturedUs =
      static_cast<double>(pa_bytes_to_usec(
          static_cast<std::uint64_t>(std::max<std::int64_t>(0, info->write_index)), &spec_)) +
      static_cast<double>(info->source_usec) - static_cast<double>(info->sink_usec);
  timeline_.Add(MonotonicTimeOf(info->timestamp), capturedUs * spec_.rate / 1e6);
}

std::vector<std::int16_t> PulseRecorder::SamplesSoFar() const {
  const std::lock_guard lock(mutex_);
  return samples_;
}

std::size_t PulseRecorder::LargestPiece() const {
  const std::lock_guard lock(mutex_);
  return largestPiece_;
}

std::size_t PulseRecorder::Holes() const {
  const std::lock_guard lock(mutex_);
  return holes_;
}
