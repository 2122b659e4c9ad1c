#include "support/measure/PulseRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;

// How often the stream is asked where it is: often enough that a report is always near.
constexpr auto kReportEvery = 20ms;

// The server stamps its reports with the wall clock; the samples are placed on the monotonic.
PulseRecorder::Clock::time_point MonotonicTimeOf(const timeval& stamp) {
  timeval wallNow{};
  pa_gettimeofday(&wallNow);
  const auto now = PulseRecorder::Clock::now();
  const auto age = static_cast<std::int64_t>(pa_timeval_load(&wallNow)) -
                   static_cast<std::int64_t>(pa_timeval_load(&stamp));
  return now - std::chrono::microseconds(age);
}

class Lock {
 public:
  explicit Lock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~Lock() { pa_threaded_mainloop_unlock(loop_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

}  // namespace

PulseRecorder::PulseRecorder(const std::string& source, unsigned rate,
                             std::chrono::milliseconds piece)
    : source_(source), piece_(piece), spec_{PA_SAMPLE_S16LE, rate, 1} {
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
      const Lock lock(loop_);
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
  const Lock lock(loop_);
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
    {
      const std::lock_guard lock(mutex_);
      const std::size_t start = samples_.size();
      samples_.resize(start + frames, 0);  // a hole in the stream stays silence
      if (data != nullptr)
        std::memcpy(samples_.data() + start, data, frames * sizeof(std::int16_t));
      largestPiece_ = std::max(largestPiece_, frames);
    }
    pa_stream_drop(stream_);
  }
}

void PulseRecorder::AskForTiming() {
  if (finished_) return;
  if (stream_ != nullptr && pa_stream_get_state(stream_) == PA_STREAM_READY) {
    pa_operation* operation = pa_stream_update_timing_info(
        stream_, [](pa_stream*, int, void* self) { static_cast<PulseRecorder*>(self)->OnTiming(); },
        this);
    if (operation != nullptr) pa_operation_unref(operation);
  }
  const pa_usec_t next = pa_rtclock_now() + std::chrono::microseconds(kReportEvery).count();
  if (timer_ == nullptr) {
    timer_ = pa_context_rttime_new(
        context_, next,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
          static_cast<PulseRecorder*>(self)->AskForTiming();
        },
        this);
  } else {
    pa_context_rttime_restart(context_, timer_, next);
  }
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
  const std::lock_guard lock(mutex_);
  reports_.push_back({MonotonicTimeOf(info->timestamp), capturedUs * spec_.rate / 1e6});
}

std::optional<PulseRecorder::Clock::time_point> PulseRecorder::HeardAt(double index) const {
  const std::lock_guard lock(mutex_);
  // Now and then a report counts a piece twice, on its way from the server's thread and in
  // the queue, and so is a piece early. Where each report of the half second around the
  // sample places it, the middle one is right.
  const double around = 0.25 * spec_.rate;
  std::vector<Clock::time_point> placed;
  for (const Report& report : reports_) {
    if (std::abs(report.heardIndex - index) > around) continue;
    const std::chrono::duration<double> fromReport((index - report.heardIndex) / spec_.rate);
    placed.push_back(report.at + std::chrono::duration_cast<Clock::duration>(fromReport));
  }
  if (placed.empty() && !reports_.empty() && index > reports_.back().heardIndex) {
    const std::chrono::duration<double> ahead((index - reports_.back().heardIndex) / spec_.rate);
    return reports_.back().at + std::chrono::duration_cast<Clock::duration>(ahead);
  }
  if (placed.empty()) return std::nullopt;
  std::nth_element(placed.begin(), placed.begin() + placed.size() / 2, placed.end());
  return placed[placed.size() / 2];
}

std::vector<std::int16_t> PulseRecorder::SamplesSoFar() const {
  const std::lock_guard lock(mutex_);
  return samples_;
}

std::size_t PulseRecorder::LargestPiece() const {
  const std::lock_guard lock(mutex_);
  return largestPiece_;
}
