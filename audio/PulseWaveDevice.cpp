#include "audio/PulseWaveDevice.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "audio/MainLoopLock.h"
#include "res/AppId.h"

namespace {

using Clock = PlaybackPosition::Clock;
using namespace std::chrono_literals;

// The stream publishes its underrun count among its properties, where `pactl list
// sink-inputs` shows it: "0" as long as the queue has never run dry.
constexpr const char* kUnderrunsProperty = "tocolo.underruns";

// How long the server may take to answer where it is playing before the end is taken from
// the device's own reckoning instead.
constexpr auto kTimingReplyDeadline = 1s;
// How long after a byte is due to be heard its end is looked for: the report is exact to
// the microsecond, but the time event may fire a little early.
constexpr auto kEndCheckSlack = 2ms;
// While the clock is wanted: reports at first at an interval unlike any quantum's, so that
// PipeWire's reports fall at different points of its cycle, then once a second.
constexpr auto kFirstClockReports = 113ms;
constexpr auto kClockReports = 1s;

// The server carries out a stream's requests in order, so none needs waiting for.
void Forget(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
}

std::size_t BytesOf(std::chrono::milliseconds span, const pa_sample_spec& spec) {
  return pa_usec_to_bytes(static_cast<pa_usec_t>(std::chrono::microseconds(span).count()), &spec);
}

// Hands the server `bytes` of sound, the first of them at `seek`, each piece made by `render`
// in the server's own memory. Returns how many bytes it took.
template <typename Render>
std::size_t WriteFrames(pa_stream* stream, std::size_t bytes, pa_seek_mode_t seek, Render render) {
  constexpr std::size_t kFrame = sizeof(std::int16_t);
  std::size_t written = 0;
  while (bytes - written >= kFrame) {
    void* data = nullptr;
    std::size_t size = bytes - written;
    if (pa_stream_begin_write(stream, &data, &size) < 0 || data == nullptr) break;
    size = std::min(size, bytes - written);
    size -= size % kFrame;
    if (size == 0) {
      pa_stream_cancel_write(stream);
      break;
    }
    render(std::span(static_cast<std::int16_t*>(data), size / kFrame));
    if (pa_stream_write(stream, data, size, nullptr, 0, seek) < 0) break;
    written += size;
    seek = PA_SEEK_RELATIVE;
  }
  return written;
}

pa_proplist* StreamProperties(std::uint64_t underruns) {
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_setf(properties, kUnderrunsProperty, "%llu",
                   static_cast<unsigned long long>(underruns));
  return properties;
}

// The server stamps its reports with the wall clock; the device keeps time by the monotonic
// one, which no adjustment of the wall clock moves.
Clock::time_point MonotonicTimeOf(const timeval& stamp) {
  timeval wallNow{};
  pa_gettimeofday(&wallNow);
  const auto monotonicNow = Clock::now();
  const auto age = static_cast<std::int64_t>(pa_timeval_load(&wallNow)) -
                   static_cast<std::int64_t>(pa_timeval_load(&stamp));
  return monotonicNow - std::chrono::microseconds(age);
}

// A time on the monotonic clock as libpulse's main loop takes it.
pa_usec_t MainLoopTimeOf(Clock::time_point when) {
  const auto fromNow = std::chrono::duration_cast<std::chrono::microseconds>(when - Clock::now());
  return pa_rtclock_now() + static_cast<pa_usec_t>(std::max<std::int64_t>(0, fromNow.count()));
}

}  // namespace

void PulseWaveDevice::LoopDeleter::operator()(pa_threaded_mainloop* loop) const {
  pa_threaded_mainloop_free(loop);
}

void PulseWaveDevice::ContextDeleter::operator()(pa_context* context) const {
  pa_context_set_state_callback(context, nullptr, nullptr);
  pa_context_disconnect(context);
  pa_context_unref(context);
}

void PulseWaveDevice::StreamDeleter::operator()(pa_stream* stream) const {
  pa_stream_set_state_callback(stream, nullptr, nullptr);
  pa_stream_set_write_callback(stream, nullptr, nullptr);
  pa_stream_set_underflow_callback(stream, nullptr, nullptr);
  pa_stream_disconnect(stream);
  pa_stream_unref(stream);
}

PulseWaveDevice::PulseWaveDevice(const WaveFormat& format) : PulseWaveDevice(format, Queue{}) {}

PulseWaveDevice::PulseWaveDevice(const WaveFormat& format, Queue queue)
    : format_(format),
      queue_(queue),
      spec_{PA_SAMPLE_S16LE, format.samplesPerSec, static_cast<std::uint8_t>(format.channels)} {
  // The loop is mono 16-bit; anything else is not ours to play.
  if (!IsMono16(format) || !pa_sample_spec_valid(&spec_)) {
    failure_ = "unsupported format";
    lost_ = true;
    return;
  }
  // Until pa_threaded_mainloop_start below there is no loop thread, so the context is set up
  // without the lock; from then on every call takes it.
  loop_.reset(pa_threaded_mainloop_new());
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Tocolo");
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kAppId);
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kAppId);
  context_.reset(pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_.get()), "Tocolo",
                                              properties));
  pa_proplist_free(properties);
  pa_context_set_state_callback(
      context_.get(),
      [](pa_context*, void* self) { static_cast<PulseWaveDevice*>(self)->OnContextState(); }, this);
  // No autospawn: a desktop without a server gets the fallback, not a server of our making.
  if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      pa_threaded_mainloop_start(loop_.get()) < 0) {
    MarkLost();
  }
}

PulseWaveDevice::~PulseWaveDevice() {
  // The loop's thread ends first, so nothing runs while the stream and context go.
  if (loop_) pa_threaded_mainloop_stop(loop_.get());
  ForgetLoop();
}

bool PulseWaveDevice::WaitUntilReady(std::chrono::milliseconds timeout) {
  if (!loop_) return false;
  struct Deadline {
    pa_threaded_mainloop* loop;
    bool passed = false;
  } deadline{loop_.get()};
  const MainLoopLock lock(loop_.get());
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_.get());
  timeval when{};
  pa_timeval_add(pa_gettimeofday(&when),
                 static_cast<pa_usec_t>(std::chrono::microseconds(timeout).count()));
  pa_time_event* timer = api->time_new(
      api, &when,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* d) {
        auto* deadline = static_cast<Deadline*>(d);
        deadline->passed = true;
        pa_threaded_mainloop_signal(deadline->loop, 0);
      },
      &deadline);
  while (!ready_ && !Lost() && !deadline.passed) pa_threaded_mainloop_wait(loop_.get());
  api->time_free(timer);
  return ready_;
}

std::string PulseWaveDevice::Failure() const {
  if (!loop_) return failure_;
  const MainLoopLock lock(loop_.get());
  return failure_;
}

void PulseWaveDevice::SetStoppedListener(std::function<void()> listener) {
  if (!loop_) {
    stoppedListener_ = std::move(listener);
    return;
  }
  // Once the lock is held, no callback is telling the listener being replaced.
  const MainLoopLock lock(loop_.get());
  stoppedListener_ = std::move(listener);
}

std::optional<LoopClock> PulseWaveDevice::HeardClock() const {
  if (!loop_) return std::nullopt;
  const MainLoopLock lock(loop_.get());
  if (!loopStart_ || reportCount_ == 0 || phase_ == Phase::Stopped) return std::nullopt;
  std::array<PlaybackPosition, std::tuple_size_v<decltype(reports_)>> inOrder;
  const std::size_t kept = std::min(reportCount_, reports_.size());
  for (std::size_t i = 0; i < kept; ++i) {
    inOrder[i] = reports_[(reportCount_ - kept + i) % reports_.size()];
  }
  return LoopClock{FitPlayback(std::span(inOrder).first(kept), format_.avgBytesPerSec), *loopStart_,
                   format_.blockAlign, starts_};
}

std::string PulseWaveDevice::SinkName() const {
  if (!loop_) return {};
  const MainLoopLock lock(loop_.get());
  const char* name = ready_ ? pa_stream_get_device_name(stream_.get()) : nullptr;
  return name != nullptr ? name : "";
}

void PulseWaveDevice::SetClockWanted(bool wanted) {
  if (!loop_) return;
  const MainLoopLock lock(loop_.get());
  clockWanted_ = wanted;
  if (wanted) KeepClockFresh();
}

void PulseWaveDevice::KeepClockFresh() {
  if (!clockWanted_ || (phase_ != Phase::Playing && phase_ != Phase::Draining)) return;
  AskWherePlaybackIs();
  const auto next =
      Clock::now() + (reportCount_ < reports_.size() ? kFirstClockReports : kClockReports);
  if (clockRefresh_ != nullptr) {
    pa_context_rttime_restart(context_.get(), clockRefresh_, MainLoopTimeOf(next));
    return;
  }
  clockRefresh_ = pa_context_rttime_new(
      context_.get(), MainLoopTimeOf(next),
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        static_cast<PulseWaveDevice*>(self)->KeepClockFresh();
      },
      this);
}

bool PulseWaveDevice::Write(const WaveHeader& header) {
  if (header.data == nullptr || !loop_) return false;
  const MainLoopLock lock(loop_.get());
  if (ready_) {
    ForgetLoop();
    ++starts_;
    StartCursor(cursor_, header, format_);
    loopBytes_ = cursor_.FramesLeft() * sizeof(std::int16_t);
    playedOut_.store(false, std::memory_order_release);
    phase_ = Phase::Starting;
    // While an uncork is on its way, it starts this loop as well: a run of restarts costs
    // the server one start per round trip, however many there are.
    if (!uncorkPending_) {
      // Whatever the server holds goes; the lead keeps the sink fed until the uncork is taken.
      Forget(pa_stream_flush(stream_.get(), nullptr, nullptr));
      WriteSilence(BytesOf(queue_.lead, spec_), PA_SEEK_RELATIVE_ON_READ);
      Forget(pa_stream_cork(
          stream_.get(), 0,
          [](pa_stream*, int success, void* self) {
            static_cast<PulseWaveDevice*>(self)->OnUncorked(success != 0);
          },
          this));
      uncorkPending_ = true;
    }
  }
  return ready_;
}

bool PulseWaveDevice::Reset() {
  if (!loop_) return true;
  const MainLoopLock lock(loop_.get());
  // Once the lock is released, no callback reads the buffer the cursor pointed into.
  cursor_.Stop();
  ForgetLoop();
  playedOut_.store(false, std::memory_order_release);
  const bool sounding = phase_ != Phase::Stopped;
  phase_ = Phase::Stopped;
  // Before the uncork is taken only the lead is playing, and taking it corks the stream.
  if (ready_ && sounding && !uncorkPending_) Silence();
  return true;
}

void PulseWaveDevice::Silence() {
  Forget(pa_stream_cork(stream_.get(), 1, nullptr, nullptr));
  Forget(pa_stream_flush(stream_.get(), nullptr, nullptr));
}

void PulseWaveDevice::OnContextState() {
  switch (pa_context_get_state(context_.get())) {
    case PA_CONTEXT_READY:
      ConnectStream();
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      failure_ = pa_strerror(pa_context_errno(context_.get()));
      MarkLost();
      break;
    default:
      break;
  }
}

void PulseWaveDevice::ConnectStream() {
  pa_proplist* properties = StreamProperties(0);
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
  stream_.reset(
      pa_stream_new_with_proplist(context_.get(), "Clave loop", &spec_, nullptr, properties));
  pa_proplist_free(properties);
  if (!stream_) {
    failure_ = pa_strerror(pa_context_errno(context_.get()));
    MarkLost();
    return;
  }
  pa_stream_set_state_callback(
      stream_.get(),
      [](pa_stream*, void* self) { static_cast<PulseWaveDevice*>(self)->OnStreamState(); }, this);
  pa_stream_set_write_callback(
      stream_.get(),
      [](pa_stream*, std::size_t bytes, void* self) {
        auto* device = static_cast<PulseWaveDevice*>(self);
        if (device->phase_ == Phase::Playing) device->WriteLoop(bytes, PA_SEEK_RELATIVE);
      },
      this);
  pa_stream_set_underflow_callback(
      stream_.get(),
      [](pa_stream*, void* self) { static_cast<PulseWaveDevice*>(self)->OnUnderflow(); }, this);

  // The server asks for minreq once that much has played, so it holds tlength - minreq at the
  // least, and it gives the sink tlength - 2 * minreq: both follow from what is wanted.
  const std::size_t target = BytesOf(queue_.target, spec_);
  const std::size_t inSink = std::min(BytesOf(queue_.inSink, spec_), target);
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.tlength = static_cast<std::uint32_t>(2 * target - inSink);
  attributes.prebuf = 0;  // never wait for a full queue, never stop on a short one
  attributes.minreq = static_cast<std::uint32_t>(target - inSink);
  attributes.fragsize = static_cast<std::uint32_t>(-1);
  // Not pinned to a sink: the stream follows the desktop's default output.
  if (pa_stream_connect_playback(stream_.get(), nullptr, &attributes, PA_STREAM_START_CORKED,
                                 nullptr, nullptr) < 0) {
    failure_ = pa_strerror(pa_context_errno(context_.get()));
    MarkLost();
  }
}

void PulseWaveDevice::OnStreamState() {
  switch (pa_stream_get_state(stream_.get())) {
    case PA_STREAM_READY:
      ready_ = true;
      queueBytes_ = pa_stream_get_buffer_attr(stream_.get())->tlength;
      pa_threaded_mainloop_signal(loop_.get(), 0);
      break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
      failure_ = pa_strerror(pa_context_errno(context_.get()));
      MarkLost();
      break;
    default:
      break;
  }
}

void PulseWaveDevice::MarkLost() {
  const bool wasSounding = phase_ != Phase::Stopped;
  ready_ = false;
  phase_ = Phase::Stopped;
  uncorkPending_ = false;
  cursor_.Stop();
  ForgetLoop();
  lost_.store(true, std::memory_order_release);
  if (loop_) pa_threaded_mainloop_signal(loop_.get(), 0);
  if (wasSounding && stoppedListener_) stoppedListener_();
}

void PulseWaveDevice::OnUncorked(bool success) {
  uncorkPending_ = false;
  if (!success) return;  // the stream has failed; its state says so
  if (phase_ == Phase::Stopped) {
    Silence();
    return;
  }
  phase_ = Phase::Playing;
  // In place of all the lead that is still queued, then on to the depth the server wants.
  WriteLoop(BytesOf(queue_.lead, spec_), PA_SEEK_RELATIVE_ON_READ);
  const std::size_t writable = pa_stream_writable_size(stream_.get());
  if (writable != static_cast<std::size_t>(-1)) WriteLoop(writable, PA_SEEK_RELATIVE);
  // The server placed the loop where it was reading; its next report says where that was.
  AskWherePlaybackIs();
  KeepClockFresh();
}

void PulseWaveDevice::WriteLoop(std::size_t bytes, pa_seek_mode_t seek) {
  // However much the server has asked for after a run of restarts, a queue's worth will do.
  bytes = std::min(bytes, queueBytes_);
  const std::size_t fromLoop = static_cast<std::size_t>(
      std::min<std::uint64_t>(bytes, cursor_.FramesLeft() * sizeof(std::int16_t)));
  loopBytesWritten_ += WriteFrames(stream_.get(), fromLoop, seek,
                                   [this](std::span<std::int16_t> out) { cursor_.Render(out); });
  if (cursor_.FramesLeft() > 0 || phase_ != Phase::Playing) return;
  // After the last repetition the server plays silence of its own; nothing is written.
  phase_ = Phase::Draining;
  AskWherePlaybackIs();
}

void PulseWaveDevice::WriteSilence(std::size_t bytes, pa_seek_mode_t seek) {
  WriteFrames(stream_.get(), bytes, seek,
              [](std::span<std::int16_t> out) { std::fill(out.begin(), out.end(), 0); });
}

void PulseWaveDevice::OnUnderflow() {
  if (phase_ != Phase::Playing && phase_ != Phase::Draining) return;  // stopped, or the lead
  const std::int64_t index = pa_stream_get_underflow_index(stream_.get());
  if (index < 0) {
    // A server too old to say where it ran dry: only the draining loop's end is expected.
    if (phase_ == Phase::Draining) {
      AskWherePlaybackIs();
    } else {
      CountUnderrun();
    }
    return;
  }
  if (loopStart_) {
    ClassifyUnderflow(index);
  } else if (earlyUnderflowCount_ < earlyUnderflows_.size()) {
    earlyUnderflows_[earlyUnderflowCount_++] = index;
  }
}

void PulseWaveDevice::ClassifyUnderflow(std::int64_t index) {
  // Where the server ran dry: at or before the loop's first byte it was a restart's flush or
  // the lead; at or past its last byte, the loop has all been played.
  if (index <= *loopStart_) return;
  if (index >= LoopEnd()) {
    AskWherePlaybackIs();
    return;
  }
  CountUnderrun();
}

void PulseWaveDevice::CountUnderrun() {
  const std::uint64_t underruns = underruns_.fetch_add(1, std::memory_order_relaxed) + 1;
  pa_proplist* properties = StreamProperties(underruns);
  Forget(pa_stream_proplist_update(stream_.get(), PA_UPDATE_REPLACE, properties, nullptr, nullptr));
  pa_proplist_free(properties);
}

void PulseWaveDevice::AskWherePlaybackIs() {
  if (timingReport_ != nullptr) return;  // the report on its way will do
  timingAskedAt_ = Clock::now();
  timingReport_ = pa_stream_update_timing_info(
      stream_.get(),
      [](pa_stream*, int success, void* self) {
        static_cast<PulseWaveDevice*>(self)->OnTimingReport(success != 0);
      },
      this);
}

void PulseWaveDevice::OnTimingReport(bool success) {
  Forget(timingReport_);
  timingReport_ = nullptr;
  const pa_timing_info* info = success ? pa_stream_get_timing_info(stream_.get()) : nullptr;
  if (info == nullptr || info->read_index_corrupt || info->write_index_corrupt) return;
  if (phase_ != Phase::Playing && phase_ != Phase::Draining) return;
  const PlaybackPosition position{info->read_index, std::chrono::microseconds(info->sink_usec),
                                  MonotonicTimeOf(info->timestamp),
                                  static_cast<double>(format_.avgBytesPerSec)};
  if (!loopStart_) {
    // Everything written since the loop's first byte followed it, so the report's write index
    // (which counts every write made so far) less those bytes is where it began.
    loopStart_ = info->write_index - static_cast<std::int64_t>(loopBytesWritten_);
    for (std::size_t i = 0; i < earlyUnderflowCount_; ++i) ClassifyUnderflow(earlyUnderflows_[i]);
    earlyUnderflowCount_ = 0;
  }
  reports_[reportCount_++ % reports_.size()] = position;
  CheckForEnd(position);
}

void PulseWaveDevice::CheckForEnd(const PlaybackPosition& position) {
  if (!loopStart_ || phase_ == Phase::Stopped) return;
  const Clock::time_point heardEnd = position.HeardAt(LoopEnd());
  if (phase_ == Phase::Draining && heardEnd <= Clock::now()) {
    EndOfLoop();
    return;
  }
  // Looked at again when the last byte is due to be heard: a deadline from the frames still
  // to play, kept whatever else does or does not arrive.
  CheckForEndAt(heardEnd + kEndCheckSlack);
}

void PulseWaveDevice::CheckForEndAt(Clock::time_point when) {
  if (endCheck_ != nullptr) {
    pa_context_rttime_restart(context_.get(), endCheck_, MainLoopTimeOf(when));
    return;
  }
  endCheck_ = pa_context_rttime_new(
      context_.get(), MainLoopTimeOf(when),
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        static_cast<PulseWaveDevice*>(self)->OnEndCheckDue();
      },
      this);
}

void PulseWaveDevice::OnEndCheckDue() {
  if (phase_ != Phase::Draining) {
    // Still writing when the end was due: a stall held the process past it. The last write
    // asks the server again; until then, look again a little later.
    if (phase_ == Phase::Playing) CheckForEndAt(Clock::now() + kTimingReplyDeadline);
    return;
  }
  if (timingReport_ != nullptr && Clock::now() - timingAskedAt_ >= kTimingReplyDeadline) {
    // The server does not say where it is, and by its own last word the loop is over.
    EndOfLoop();
    return;
  }
  AskWherePlaybackIs();
  CheckForEndAt(Clock::now() + kTimingReplyDeadline);
}

void PulseWaveDevice::EndOfLoop() {
  // Corking takes back only the server's own silence after the loop.
  phase_ = Phase::Stopped;
  cursor_.Stop();
  ForgetLoop();
  Silence();
  playedOut_.store(true, std::memory_order_release);
  if (stoppedListener_) stoppedListener_();
}

void PulseWaveDevice::ForgetLoop() {
  loopStart_.reset();
  loopBytesWritten_ = 0;
  earlyUnderflowCount_ = 0;
  reportCount_ = 0;
  if (timingReport_ != nullptr) {
    pa_operation_cancel(timingReport_);
    Forget(timingReport_);
    timingReport_ = nullptr;
  }
  if (loop_) {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_.get());
    for (pa_time_event* event : {endCheck_, clockRefresh_}) {
      if (event != nullptr) api->time_free(event);
    }
  }
  endCheck_ = nullptr;
  clockRefresh_ = nullptr;
}
