#include "support/measure/StreamTimeline.h"

#include <algorithm>
#include <cmath>

namespace {

using Seconds = std::chrono::duration<double>;

// How far from the sample or moment asked about a report still counts.
constexpr Seconds kAround{0.25};

double SecondsOf(StreamTimeline::Clock::time_point t) {
  return Seconds(t.time_since_epoch()).count();
}

}  // namespace

StreamTimeline::Clock::time_point MonotonicTimeOf(const timeval& stamp) {
  timeval wallNow{};
  pa_gettimeofday(&wallNow);
  const auto now = StreamTimeline::Clock::now();
  const auto age = static_cast<std::int64_t>(pa_timeval_load(&wallNow)) -
                   static_cast<std::int64_t>(pa_timeval_load(&stamp));
  return now - std::chrono::microseconds(age);
}

void StreamTimeline::Add(Clock::time_point at, double heardIndex) {
  const std::lock_guard lock(mutex_);
  reports_.push_back({at, heardIndex});
}

std::size_t StreamTimeline::Reports() const {
  const std::lock_guard lock(mutex_);
  return reports_.size();
}

double StreamTimeline::EpochIndex(const Report& report) const {
  return report.heardIndex - SecondsOf(report.at) * rate_;
}

// Now and then a report counts a piece twice, on its way from the server's thread and in the
// queue, and so is a piece early. Where each report near the question places the stream, the
// middle one is right; with none near, the latest does for what comes after it. The reports
// are read from the latest back until `older` says the rest lie well before the question, so
// that asking about now costs the same however long the stream has run.
template <typename Near, typename Older>
std::optional<double> StreamTimeline::MedianEpochIndex(Near near, Older older,
                                                       bool beyondLatest) const {
  std::vector<double> placed;
  for (auto report = reports_.rbegin(); report != reports_.rend() && !older(*report); ++report) {
    if (near(*report)) placed.push_back(EpochIndex(*report));
  }
  if (placed.empty() && beyondLatest) return EpochIndex(reports_.back());
  if (placed.empty()) return std::nullopt;
  std::nth_element(placed.begin(), placed.begin() + placed.size() / 2, placed.end());
  return placed[placed.size() / 2];
}

std::optional<StreamTimeline::Clock::time_point> StreamTimeline::HeardAt(double index) const {
  const std::lock_guard lock(mutex_);
  if (reports_.empty()) return std::nullopt;
  const double around = kAround.count() * rate_;
  const std::optional<double> epochIndex =
      MedianEpochIndex([&](const Report& r) { return std::abs(r.heardIndex - index) <= around; },
                       [&](const Report& r) { return r.heardIndex < index - around - rate_; },
                       index > reports_.back().heardIndex);
  if (!epochIndex) return std::nullopt;
  const Seconds at((index - *epochIndex) / rate_);
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(at));
}

std::optional<double> StreamTimeline::IndexHeardAt(Clock::time_point t) const {
  const std::lock_guard lock(mutex_);
  if (reports_.empty()) return std::nullopt;
  const std::optional<double> epochIndex = MedianEpochIndex(
      [&](const Report& r) { return std::abs(Seconds(r.at - t).count()) <= kAround.count(); },
      [&](const Report& r) { return Seconds(t - r.at).count() > kAround.count() + 1; },
      t > reports_.back().at);
  if (!epochIndex) return std::nullopt;
  return *epochIndex + SecondsOf(t) * rate_;
}
