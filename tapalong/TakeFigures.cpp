#include "tapalong/TakeFigures.h"

#include <cmath>

#include "tapalong/ScoredTap.h"
#include "tapalong/StrokePlan.h"

namespace {

// Welford's running mean and sum of squared deviations: one pass, and no cancellation when
// the offsets sit far from zero.
class OffsetAccumulator {
 public:
  void Add(double offset) {
    ++count_;
    const double delta = offset - mean_;
    mean_ += delta / static_cast<double>(count_);
    squares_ += delta * (offset - mean_);
  }
  OffsetStats Stats() const {
    if (count_ == 0) return {};
    return {count_, mean_, std::sqrt(squares_ / static_cast<double>(count_))};
  }

 private:
  std::size_t count_ = 0;
  double mean_ = 0;
  double squares_ = 0;
};

}  // namespace

TakeFigures HitFigures(const std::vector<ScoredTap>& taps, const StrokePlan& plan) {
  TakeFigures figures;
  OffsetAccumulator all, sounding, silent;
  std::vector<OffsetAccumulator> strokes(plan.Strokes().size());
  std::array<std::size_t, TakeFigures::kWithinMs.size()> within{};
  for (const ScoredTap& tap : taps) {
    if (tap.verdict == TapVerdict::kExtra) ++figures.extras;
    if (tap.verdict != TapVerdict::kHit) continue;
    const double offset = *tap.offsetMs;
    all.Add(offset);
    (tap.silentRepetition ? silent : sounding).Add(offset);
    strokes[tap.stroke->index].Add(offset);
    for (std::size_t i = 0; i < within.size(); ++i) {
      if (std::abs(offset) <= TakeFigures::kWithinMs[i]) ++within[i];
    }
  }
  figures.all = all.Stats();
  figures.hits = figures.all.hits;
  figures.sounding = sounding.Stats();
  figures.silent = silent.Stats();
  for (const OffsetAccumulator& stroke : strokes) figures.strokes.push_back(stroke.Stats());
  if (figures.hits > 0) {
    for (std::size_t i = 0; i < within.size(); ++i) {
      figures.within[i] = static_cast<double>(within[i]) / static_cast<double>(figures.hits);
    }
  }
  return figures;
}
