#include "tapalong/StrokePlan.h"

#include <algorithm>
#include <cmath>

StrokePlan::StrokePlan(std::vector<double> strokes, std::uint32_t loopFrames, std::uint32_t loops,
                       std::uint32_t sampleRate)
    : strokes_(std::move(strokes)),
      loopFrames_(loopFrames),
      loops_(loops),
      sampleRate_(sampleRate) {
  const double end = loopFrames;
  std::erase_if(strokes_, [end](double s) { return !(s >= 0 && s < end); });
  if (sampleRate_ == 0) strokes_.clear();
  std::sort(strokes_.begin(), strokes_.end());
  strokes_.erase(std::unique(strokes_.begin(), strokes_.end()), strokes_.end());
  if (strokes_.empty()) return;
  // 150 * rate / 1000 rather than 0.150 * rate: exact in whole samples at 44100.
  window_ = std::min(SmallestGap() / 2, kMaxWindowMs * sampleRate_ / 1000);
}

StrokePlan StrokePlan::FromFractions(std::span<const double> fractions, std::uint32_t loopFrames,
                                     std::uint32_t loops) {
  std::vector<double> strokes;
  for (double fraction : fractions) {
    strokes.push_back(std::floor(static_cast<double>(loopFrames) * fraction));
  }
  return StrokePlan(std::move(strokes), loopFrames, loops);
}

double StrokePlan::SmallestGap() const {
  double gap = loopFrames_ - strokes_.back() + strokes_.front();
  for (std::size_t i = 1; i < strokes_.size(); ++i) {
    gap = std::min(gap, strokes_[i] - strokes_[i - 1]);
  }
  return gap;
}

bool StrokePlan::IsSilent(std::int64_t repetition) const {
  if (silentCycle_ < 2 || repetition < 0) return false;
  return repetition % silentCycle_ == silentCycle_ - 1;
}
