#include "support/measure/PulseFeed.h"

#include "audio/MainLoopLock.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kReportEvery = 20ms;
// Far more than the owner ever queues: reaching it means the sink stopped taking samples.
constexpr auto kMostQueued = 1s;

std::uint32_t BytesOf(std::chrono::microseconds span, const pa_sample_spec& spec) {
  return static_cast<std::uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(span.count()), &spec));
}

}  // namespace

PulseFeed::PulseFeed(const std::string& sink, unsigned rate, std::size_t blockFrames)
    : sink_(sink), blockFrames_(blockFrames), spec_{PA_SAMPLE_S16LE, rate, 1}, timeline_(rate) {
  loop_ = pa_threaded_mainloop_new();
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "tocolo test feed");
  pa_context_set_state_callback(
      context_, [](pa_context*, void* self) { static_cast<PulseFeed*>(self)->OnContextState(); },
      this);
  pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
  pa_threaded_mainloop_start(loop_);
}

PulseFeed::~PulseFeed() {
  pa_threaded_mainloop_stop(loop_);
  if (timer_ != nullptr) pa_threaded_mainloop_get_api(loop_)->time_free(timer_);
  if (stream_ != nullptr) {
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  pa_threaded_mainloop_free(loop_);
}

void PulseFeed::OnContextState() {
  if (pa_context_get_state(context_) != PA_CONTEXT_READY || stream_ != nullptr) return;
  stream_ = pa_stream_new(context_, "feed", &spec_, nullptr);
  pa_stream_set_state_callback(
      stream_, [](pa_stream*, void* self) { static_cast<PulseFeed*>(self)->OnStreamState(); },
      this);
  pa_stream_set_underflow_callback(
      stream_,
      [](pa_stream*, void* self) {
        auto* feed = static_cast<PulseFeed*>(self);
        if (feed->started_) feed->underruns_.fetch_add(1, std::memory_order_relaxed);
      },
      this);
  pa_stream_set_overflow_callback(
      stream_,
      [](pa_stream*, void* self) {
        static_cast<PulseFeed*>(self)->overruns_.fetch_add(1, std::memory_order_relaxed);
      },
      this);
  // The server asks the sink for a latency of tlength less twice minreq: the block's length.
  const std::uint32_t minreq = BytesOf(20ms, spec_);
  pa_buffer_attr attributes{};
  attributes.maxlength = BytesOf(kMostQueued, spec_);
  attributes.tlength = 2 * minreq + static_cast<std::uint32_t>(blockFrames_ * sizeof(std::int16_t));
  attributes.prebuf = 0;
  attributes.minreq = minreq;
  attributes.fragsize = static_cast<std::uint32_t>(-1);
  pa_stream_connect_playback(stream_, sink_.c_str(), &attributes, PA_STREAM_START_CORKED, nullptr,
                             nullptr);
  AskForTiming();
}

void PulseFeed::OnStreamState() {
  if (pa_stream_get_state(stream_) == PA_STREAM_READY)
    ready_.store(true, std::memory_order_release);
}

bool PulseFeed::Write(std::span<const std::int16_t> samples) {
  const MainLoopLock lock(loop_);
  if (!Ready()) return false;
  return pa_stream_write(stream_, samples.data(), samples.size_bytes(), nullptr, 0,
                         PA_SEEK_RELATIVE) == 0;
}

void PulseFeed::Start() {
  const MainLoopLock lock(loop_);
  pa_operation* operation = pa_stream_cork(
      stream_, 0,
      [](pa_stream*, int success, void* self) {
        static_cast<PulseFeed*>(self)->started_ = success != 0;
      },
      this);
  if (operation != nullptr) pa_operation_unref(operation);
}

void PulseFeed::AskForTiming() {
  AskForTimingAndAgain<&PulseFeed::OnTiming, &PulseFeed::AskForTiming>(context_, stream_, started_,
                                                                       timer_, kReportEvery, this);
}

void PulseFeed::OnTiming() {
  const pa_timing_info* info = pa_stream_get_timing_info(stream_);
  if (info == nullptr || info->read_index_corrupt || !info->playing) return;
  // The byte the server is about to take from the queue is heard the sink's latency later.
  const double readFrames = static_cast<double>(info->read_index) / sizeof(std::int16_t);
  timeline_.Add(MonotonicTimeOf(info->timestamp),
                readFrames - static_cast<double>(info->sink_usec) * spec_.rate / 1e6);
}
