#include "audio/PulseInput.h"

#include <algorithm>
#include <cstring>

#include "audio/MainLoopLock.h"
#include "res/AppId.h"

namespace {

using namespace std::chrono_literals;

// Pieces of 20 ms: found strokes come soon enough for a window that looks ten times a second,
// and the input's thread wakes 50 times a second, not more.
constexpr auto kPiece = 20ms;
// How often the server is asked where capture is: at first often, and at an interval unlike
// any quantum's, so that the input's rate against the computer's clock is soon known.
constexpr auto kFirstReportsEvery = 113ms;
constexpr auto kReportEvery = 250ms;

CaptureClock::Clock::time_point MonotonicTimeOf(const timeval& stamp) {
  timeval wallNow{};
  pa_gettimeofday(&wallNow);
  const auto now = CaptureClock::Clock::now();
  const auto age = static_cast<std::int64_t>(pa_timeval_load(&wallNow)) -
                   static_cast<std::int64_t>(pa_timeval_load(&stamp));
  return now - std::chrono::microseconds(age);
}

}  // namespace

void PulseInput::LoopDeleter::operator()(pa_threaded_mainloop* loop) const {
  pa_threaded_mainloop_free(loop);
}

PulseInput::PulseInput(const WaveFormat& format, std::string outputSink, Consumer consumer,
                       std::function<void()> onEnded)
    : spec_{PA_SAMPLE_S16LE, format.samplesPerSec, 1},
      outputSink_(std::move(outputSink)),
      consumer_(std::move(consumer)),
      onEnded_(std::move(onEnded)),
      loop_(pa_threaded_mainloop_new()) {
  // Until the loop's thread starts below, nothing else touches these.
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Tocolo");
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kAppId);
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kAppId);
  context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_.get()),
                                          "Tocolo listening", properties);
  pa_proplist_free(properties);
  pa_context_set_state_callback(
      context_, [](pa_context*, void* self) { static_cast<PulseInput*>(self)->OnContextState(); },
      this);
  pa_context_set_subscribe_callback(
      context_,
      [](pa_context*, pa_subscription_event_type_t type, std::uint32_t index, void* self) {
        static_cast<PulseInput*>(self)->OnSourceEvent(type, index);
      },
      this);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    state_ = State::kEnded;
    failure_ = "no sound server";
  }
  pa_threaded_mainloop_start(loop_.get());
}

PulseInput::~PulseInput() {
  // The loop's thread ends first; then nothing runs while the stream and connection go.
  pa_threaded_mainloop_stop(loop_.get());
  if (reportTimer_ != nullptr) pa_threaded_mainloop_get_api(loop_.get())->time_free(reportTimer_);
  if (stream_ != nullptr) {
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }
  pa_context_set_state_callback(context_, nullptr, nullptr);
  pa_context_set_subscribe_callback(context_, nullptr, nullptr);
  pa_context_disconnect(context_);
  pa_context_unref(context_);
}

PulseInput::State PulseInput::GetState() const {
  const MainLoopLock lock(loop_.get());
  return state_;
}

std::string PulseInput::InputName() const {
  const MainLoopLock lock(loop_.get());
  return inputName_;
}

std::string PulseInput::Failure() const {
  const MainLoopLock lock(loop_.get());
  return failure_;
}

std::optional<CaptureClock> PulseInput::Clock() const {
  const MainLoopLock lock(loop_.get());
  if (reportCount_ == 0 || state_ != State::kRecording) return std::nullopt;
  std::array<CaptureClock, std::tuple_size_v<decltype(reports_)>> inOrder;
  const std::size_t kept = std::min(reportCount_, reports_.size());
  for (std::size_t i = 0; i < kept; ++i) {
    inOrder[i] = reports_[(reportCount_ - kept + i) % reports_.size()];
  }
  return FitCaptureClock(std::span(inOrder).first(kept), spec_.rate);
}

void PulseInput::OnContextState() {
  switch (pa_context_get_state(context_)) {
    case PA_CONTEXT_READY:
      pa_operation_unref(
          pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr));
      pa_operation_unref(pa_context_get_server_info(
          context_,
          [](pa_context*, const pa_server_info* info, void* self) {
            static_cast<PulseInput*>(self)->OnDefaultSource(
                info != nullptr ? info->default_source_name : nullptr);
          },
          this));
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      End(state_ == State::kConnecting ? "no sound server" : "the sound server went away");
      break;
    default:
      break;
  }
}

void PulseInput::OnDefaultSource(const char* name) {
  if (name == nullptr || *name == '\0') {
    End("no input");
    return;
  }
  pa_operation_unref(pa_context_get_source_info_by_name(
      context_, name,
      [](pa_context*, const pa_source_info* info, int last, void* self) {
        if (last == 0) static_cast<PulseInput*>(self)->OnSourceInfo(info);
      },
      this));
}

void PulseInput::OnSourceInfo(const pa_source_info* info) {
  if (state_ != State::kConnecting || stream_ != nullptr) return;
  if (info == nullptr) {
    End("no input");
    return;
  }
  if (info->monitor_of_sink != PA_INVALID_INDEX && info->monitor_of_sink_name != nullptr &&
      outputSink_ == info->monitor_of_sink_name) {
    End("the default input is what Tocolo plays");
    return;
  }
  sourceIndex_ = info->index;
  inputName_ = info->description != nullptr ? info->description : info->name;
  stream_ = pa_stream_new(context_, "Listening", &spec_, nullptr);
  pa_stream_set_state_callback(
      stream_, [](pa_stream*, void* self) { static_cast<PulseInput*>(self)->OnStreamState(); },
      this);
  pa_stream_set_read_callback(
      stream_,
      [](pa_stream*, std::size_t, void* self) { static_cast<PulseInput*>(self)->OnRead(); }, this);
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.fragsize = static_cast<std::uint32_t>(
      pa_usec_to_bytes(static_cast<pa_usec_t>(std::chrono::microseconds(kPiece).count()), &spec_));
  // Not moved if the input goes: the recording ends instead.
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
  if (pa_stream_connect_record(stream_, info->name, &attributes, flags) < 0) End("no input");
}

void PulseInput::OnStreamState() {
  switch (pa_stream_get_state(stream_)) {
    case PA_STREAM_READY:
      state_ = State::kRecording;
      AskWhereCaptureIs();
      break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
      End("the input went away");
      break;
    default:
      break;
  }
}

void PulseInput::OnSourceEvent(pa_subscription_event_type_t type, std::uint32_t index) {
  const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
  // A server that keeps a stream whose input is gone (PipeWire does) still says it went.
  if (facility == PA_SUBSCRIPTION_EVENT_SOURCE && kind == PA_SUBSCRIPTION_EVENT_REMOVE &&
      index == sourceIndex_) {
    End("the input went away");
  }
}

void PulseInput::OnRead() {
  const void* data = nullptr;
  std::size_t bytes = 0;
  while (state_ == State::kRecording && pa_stream_peek(stream_, &data, &bytes) == 0 && bytes > 0) {
    const std::size_t frames = bytes / sizeof(std::int16_t);
    if (data != nullptr) {
      consumer_(std::span(static_cast<const std::int16_t*>(data), frames), recorded_);
    } else {
      // A hole the server left: silence, so that the count of samples stays true.
      static constexpr std::array<std::int16_t, 1024> kSilence{};
      for (std::size_t done = 0; done < frames; done += kSilence.size()) {
        const std::size_t n = std::min(kSilence.size(), frames - done);
        consumer_(std::span(kSilence).first(n), recorded_ + done);
      }
    }
    recorded_ += frames;
    pa_stream_drop(stream_);
  }
}

void PulseInput::AskWhereCaptureIs() {
  if (state_ != State::kRecording) return;
  pa_operation* report = pa_stream_update_timing_info(
      stream_,
      [](pa_stream*, int, void* self) { static_cast<PulseInput*>(self)->OnTimingReport(); }, this);
  if (report != nullptr) pa_operation_unref(report);
  const auto every = reportCount_ < reports_.size() / 2 ? kFirstReportsEvery : kReportEvery;
  const pa_usec_t next = pa_rtclock_now() + std::chrono::microseconds(every).count();
  if (reportTimer_ == nullptr) {
    reportTimer_ = pa_context_rttime_new(
        context_, next,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
          static_cast<PulseInput*>(self)->AskWhereCaptureIs();
        },
        this);
  } else {
    pa_context_rttime_restart(context_, reportTimer_, next);
  }
}

void PulseInput::OnTimingReport() {
  const pa_timing_info* info = pa_stream_get_timing_info(stream_);
  if (info == nullptr || info->write_index_corrupt || state_ != State::kRecording) return;
  // The sample being captured at the report's time lies the source's latency beyond what the
  // server has queued; a monitor captures what its sink is about to play, the sink's latency
  // before it is heard.
  const double capturedUs =
      static_cast<double>(pa_bytes_to_usec(
          static_cast<std::uint64_t>(std::max<std::int64_t>(0, info->write_index)), &spec_)) +
      static_cast<double>(info->source_usec) - static_cast<double>(info->sink_usec);
  reports_[reportCount_++ % reports_.size()] = {MonotonicTimeOf(info->timestamp),
                                                capturedUs * spec_.rate / 1e6,
                                                static_cast<double>(spec_.rate)};
}

void PulseInput::End(const std::string& why) {
  if (state_ == State::kEnded) return;
  state_ = State::kEnded;
  failure_ = why;
  if (stream_ != nullptr) {
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
  }
  if (onEnded_) onEnded_();
}
