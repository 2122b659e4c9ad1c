#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <set>
#include <vector>

#include "tapalong/ScoredTap.h"
#include "tapalong/StrokePlan.h"
#include "tapalong/TakeFigures.h"

// Scores one take: each tap against the nearest stroke of any repetition within the plan's
// window, one tap per stroke, and the strokes left without a tap once their windows close.
// Not thread-safe: one thread feeds the taps and reads the figures.
class Take {
 public:
  explicit Take(StrokePlan plan) : plan_(std::move(plan)) {}

  // Taps come in the order they were made, as a rule. One that comes late is scored all the
  // same and listed in its place; it takes its stroke only if no tap has taken it yet.
  ScoredTap AddTap(double position, TapSource source);
  // The take has reached `position`. A stroke whose window has closed by then
  // (stroke + window < position) without a tap is a miss, or masked, but only if its window
  // was still open at the first tap: before the first tap nothing counts. The position never
  // goes back; NaN is ignored.
  void AdvanceTo(double position);

  // Computed afresh on each call: one pass over the taps and one over the plan's strokes.
  TakeFigures Figures() const;
  // The scored taps by position, rejected ones left out.
  const std::vector<ScoredTap>& Taps() const { return taps_; }
  const StrokePlan& Plan() const { return plan_; }

 private:
  struct Match {
    StrokeRef stroke;
    double offset;  // samples
  };
  struct Untapped {
    std::size_t silent = 0;
    std::size_t sounding = 0;
  };

  std::optional<Match> NearestStroke(double position) const;
  Untapped UntappedStrokes() const;

  StrokePlan plan_;
  std::vector<ScoredTap> taps_;
  std::set<StrokeRef> taken_;
  double firstTap_ = std::numeric_limits<double>::infinity();
  double reached_ = -std::numeric_limits<double>::infinity();
};
