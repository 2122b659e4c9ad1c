#include "audio/CaptureClock.h"

#include <algorithm>
#include <array>

namespace {

using Clock = CaptureClock::Clock;
using Seconds = std::chrono::duration<double>;

constexpr Seconds kShortestSpanForRate{2.0};
constexpr std::size_t kMostReports = 64;

// The report in the middle of `reports` by where it places sample 0 at `rate`.
CaptureClock Middle(std::span<const CaptureClock> reports, double rate) {
  std::array<std::pair<Clock::time_point, std::size_t>, kMostReports> placed;
  const std::size_t count = std::min(reports.size(), placed.size());
  for (std::size_t i = 0; i < count; ++i) {
    CaptureClock at = reports[i];
    at.samplesPerSecond = rate;
    placed[i] = {at.CapturedAt(0), i};
  }
  const auto middle = placed.begin() + static_cast<std::ptrdiff_t>(count / 2);
  std::nth_element(placed.begin(), middle, placed.begin() + static_cast<std::ptrdiff_t>(count));
  CaptureClock chosen = reports[middle->second];
  chosen.samplesPerSecond = rate;
  return chosen;
}

}  // namespace

CaptureClock FitCaptureClock(std::span<const CaptureClock> reports, double nominalRate) {
  if (reports.empty()) return {Clock::time_point{}, 0, nominalRate};
  reports = reports.last(std::min(reports.size(), kMostReports));
  double rate = nominalRate;
  const std::size_t third = std::max<std::size_t>(1, reports.size() / 3);
  const CaptureClock oldest = Middle(reports.first(third), rate);
  const CaptureClock newest = Middle(reports.last(third), rate);
  const Seconds span = newest.at - oldest.at;
  if (span >= kShortestSpanForRate) rate = (newest.index - oldest.index) / span.count();
  return Middle(reports, rate);
}
