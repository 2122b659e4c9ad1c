#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

// When the samples of one stream of the sound server are heard, from the stream's timing
// reports: each says which sample (in fractions) was being heard at a moment on the
// monotonic clock. Reports are added from the stream's thread and read from any.
class StreamTimeline {
 public:
  using Clock = std::chrono::steady_clock;

  explicit StreamTimeline(unsigned rate) : rate_(rate) {}

  void Add(Clock::time_point at, double heardIndex);
  std::size_t Reports() const;

  // When sample `index` (fractions allowed) is heard, by the reports around it, or, for a
  // sample to come, by the latest; nullopt before the first report.
  std::optional<Clock::time_point> HeardAt(double index) const;
  // The sample heard at `t`, in fractions, by the same reports.
  std::optional<double> IndexHeardAt(Clock::time_point t) const;

 private:
  struct Report {
    Clock::time_point at;
    double heardIndex;
  };
  // The sample heard at the clock's epoch, as the report places it.
  double EpochIndex(const Report& report) const;
  template <typename Near, typename Older>
  std::optional<double> MedianEpochIndex(Near near, Older older, bool beyondLatest) const;

  unsigned rate_;
  mutable std::mutex mutex_;
  std::vector<Report> reports_;
};

// The server stamps its reports with the wall clock; the samples are placed on the monotonic.
StreamTimeline::Clock::time_point MonotonicTimeOf(const timeval& stamp);

// Asks `stream`, if `ask`, for a timing report, answered by `(owner->*Answer)()`, and has
// `(owner->*Again)()` called `after` from now on the context's main loop, so that a steady
// run of reports comes when Again asks again. `timer` is made once and restarted after.
template <auto Answer, auto Again, typename Owner>
void AskForTimingAndAgain(pa_context* context, pa_stream* stream, bool ask, pa_time_event*& timer,
                          std::chrono::microseconds after, Owner* owner) {
  if (ask) {
    pa_operation* operation = pa_stream_update_timing_info(
        stream, [](pa_stream*, int, void* self) { (static_cast<Owner*>(self)->*Answer)(); }, owner);
    if (operation != nullptr) pa_operation_unref(operation);
  }
  const pa_usec_t when = pa_rtclock_now() + static_cast<pa_usec_t>(after.count());
  if (timer != nullptr) {
    pa_context_rttime_restart(context, timer, when);
    return;
  }
  timer = pa_context_rttime_new(
      context, when,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        (static_cast<Owner*>(self)->*Again)();
      },
      owner);
}
