#include "audio/PlaybackPosition.h"

#include <algorithm>
#include <cmath>

namespace {

using Clock = PlaybackPosition::Clock;
using Seconds = std::chrono::duration<double>;

// Below this span the reports' own lateness would tell more than the clocks' drift.
constexpr Seconds kShortestSpanForRate{2.0};

// The byte each report says is heard at its time, as a point (seconds from `origin`, byte).
struct Point {
  double seconds;
  double heardIndex;
};

Point PointOf(const PlaybackPosition& report, Clock::time_point origin) {
  const double seconds = Seconds(report.at - origin).count();
  return {seconds, report.IndexHeardAt(report.at)};
}

// Of `points`, the one that places the bytes earliest at `rate`: the one heard furthest on.
Point Earliest(std::span<const Point> points, double rate) {
  return *std::max_element(points.begin(), points.end(), [rate](const Point& a, const Point& b) {
    return a.heardIndex - a.seconds * rate < b.heardIndex - b.seconds * rate;
  });
}

}  // namespace

PlaybackPosition FitPlayback(std::span<const PlaybackPosition> reports,
                             double nominalBytesPerSecond) {
  if (reports.empty()) return {};
  const Clock::time_point origin = reports.front().at;
  Point points[64];
  const std::size_t count = std::min(reports.size(), std::size(points));
  for (std::size_t i = 0; i < count; ++i)
    points[i] = PointOf(reports[reports.size() - count + i], origin);
  const std::span<const Point> all(points, count);

  double rate = nominalBytesPerSecond;
  const std::size_t third = std::max<std::size_t>(1, count / 3);
  const Point oldest = Earliest(all.first(third), rate);
  const Point newest = Earliest(all.last(third), rate);
  if (newest.seconds - oldest.seconds >= kShortestSpanForRate.count()) {
    rate = (newest.heardIndex - oldest.heardIndex) / (newest.seconds - oldest.seconds);
  }
  const Point anchor = Earliest(all, rate);
  PlaybackPosition fitted;
  fitted.readIndex = static_cast<std::int64_t>(std::floor(anchor.heardIndex));
  fitted.bytesPerSecond = rate;
  // The anchor's fraction of a byte goes into the time at which the whole byte is heard.
  const Seconds at(anchor.seconds -
                   (anchor.heardIndex - static_cast<double>(fitted.readIndex)) / rate);
  fitted.at = origin + std::chrono::duration_cast<Clock::duration>(at);
  return fitted;
}
