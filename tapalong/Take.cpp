#include "tapalong/Take.h"

#include <algorithm>
#include <cmath>

ScoredTap Take::AddTap(double position, TapSource source) {
  ScoredTap tap;
  tap.position = position;
  tap.source = source;
  if (!std::isfinite(position)) return tap;
  firstTap_ = std::min(firstTap_, position);
  tap.verdict = TapVerdict::kExtra;
  if (const std::optional<Match> match = NearestStroke(position)) {
    tap.stroke = match->stroke;
    tap.offsetMs = plan_.ToMilliseconds(match->offset);
    tap.silentRepetition = plan_.IsSilent(match->stroke.repetition);
    if (taken_.insert(match->stroke).second) tap.verdict = TapVerdict::kHit;
  }
  const auto later =
      std::upper_bound(taps_.begin(), taps_.end(), position,
                       [](double p, const ScoredTap& listed) { return p < listed.position; });
  taps_.insert(later, tap);
  return tap;
}

void Take::AdvanceTo(double position) {
  if (position > reached_) reached_ = position;
}

std::optional<Take::Match> Take::NearestStroke(double position) const {
  const std::vector<double>& strokes = plan_.Strokes();
  if (strokes.empty()) return std::nullopt;
  // The window is at most half a loop, so the stroke can only be in the tap's own repetition
  // or a neighbour. Kept as a double until it is known to play: a far-off position must not
  // overflow a cast.
  const double repetition = std::floor(position / plan_.LoopFrames());
  const double last = static_cast<double>(plan_.Loops()) - 1;
  std::optional<Match> best;
  bool bestTaken = false;
  for (double r = std::max(repetition - 1, 0.0); r <= std::min(repetition + 1, last); ++r) {
    const auto rep = static_cast<std::uint32_t>(r);
    for (std::size_t i = 0; i < strokes.size(); ++i) {
      const double offset = position - plan_.StrokePosition(rep, i);
      const double distance = std::abs(offset);
      if (distance > plan_.MatchWindow()) continue;
      const StrokeRef stroke{rep, i};
      const bool taken = taken_.contains(stroke);
      // Only a tap exactly halfway between two strokes is within both windows: it goes to
      // the earlier one unless that one is taken and the later is not.
      const bool better = !best || distance < std::abs(best->offset) ||
                          (distance == std::abs(best->offset) && bestTaken && !taken);
      if (!better) continue;
      best = Match{stroke, offset};
      bestTaken = taken;
    }
  }
  return best;
}

namespace {

// Where the window of a stroke closes: the one expression both counts below use, so that a
// stroke is in the runs of closed windows exactly when it is found there as taken.
double WindowClose(const StrokePlan& plan, std::uint64_t repetition, std::size_t index) {
  return plan.StrokePosition(static_cast<std::int64_t>(repetition), index) + plan.MatchWindow();
}

// The first repetition in [0, loops] whose window for stroke `index` does not close before
// `position`. Estimated by division, then settled with WindowClose itself.
std::uint64_t FirstOpenAt(const StrokePlan& plan, std::size_t index, double position) {
  const double loops = plan.Loops();
  const double estimate = std::ceil((position - WindowClose(plan, 0, index)) / plan.LoopFrames());
  auto k = static_cast<std::uint64_t>(std::clamp(estimate, 0.0, loops));
  while (k > 0 && !(WindowClose(plan, k - 1, index) < position)) --k;
  while (k < plan.Loops() && WindowClose(plan, k, index) < position) ++k;
  return k;
}

// Silent repetitions below `end`: k % cycle == cycle - 1 holds for every cycle-th one.
std::uint64_t SilentBelow(std::uint64_t end, std::uint32_t cycle) {
  return cycle >= 2 ? end / cycle : 0;
}

}  // namespace

Take::Untapped Take::UntappedStrokes() const {
  Untapped untapped;
  // Counted per stroke of the loop, a whole run of repetitions at a time, so the cost does not
  // grow with the length of the take: the repetitions whose window was open at the first tap
  // and has closed by the position reached.
  for (std::size_t i = 0; i < plan_.Strokes().size(); ++i) {
    const std::uint64_t begin = FirstOpenAt(plan_, i, firstTap_);
    const std::uint64_t end = std::max(begin, FirstOpenAt(plan_, i, reached_));
    const std::uint32_t cycle = plan_.SilentCycle();
    const std::uint64_t silent = SilentBelow(end, cycle) - SilentBelow(begin, cycle);
    untapped.silent += silent;
    untapped.sounding += end - begin - silent;
  }
  for (const StrokeRef& taken : taken_) {
    const double close = WindowClose(plan_, taken.repetition, taken.index);
    if (close < firstTap_ || !(close < reached_)) continue;
    --(plan_.IsSilent(taken.repetition) ? untapped.silent : untapped.sounding);
  }
  return untapped;
}

TakeFigures Take::Figures() const {
  TakeFigures figures = HitFigures(taps_, plan_);
  const Untapped untapped = UntappedStrokes();
  figures.misses = untapped.silent;
  if (plan_.UntappedSoundingMasked()) {
    figures.masked = untapped.sounding;
  } else {
    figures.misses += untapped.sounding;
  }
  return figures;
}
