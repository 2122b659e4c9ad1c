#pragma once

#include <limits>
#include <vector>

#include "audio/LoopClock.h"
#include "tapalong/Take.h"

// A take on one start of the output: each tap placed on the loop's timeline by that start's
// clock, then moved by the adjustment, which is added to each stroke's heard time. The taps
// are kept as the frames heard when they were made, so that a new adjustment scores the
// take afresh.
class TimedTake {
 public:
  using Clock = LoopClock::Clock;

  TimedTake(StrokePlan plan, const LoopClock& clock, double adjustmentMs);

  std::uint64_t Start() const { return clock_.start; }
  // The same start's clock as the output tells it now: its clock drifts from the computer's.
  void Follow(const LoopClock& clock) { clock_ = clock; }
  ScoredTap AddTap(Clock::time_point time, TapSource source);
  // The take has been heard up to `now`: windows closed by then without a tap are misses.
  void AdvanceTo(Clock::time_point now);
  // The loop was cut where the next start's first frame is heard.
  void CutAt(const LoopClock& next) { AdvanceTo(next.HeardAt(0)); }
  void SetAdjustmentMs(double adjustmentMs);
  const Take& Scored() const { return take_; }

 private:
  struct HeardTap {
    double frame;
    TapSource source;
  };

  double Adjusted(double heardFrame) const { return heardFrame - adjustmentFrames_; }

  LoopClock clock_;
  double adjustmentFrames_;
  Take take_;
  std::vector<HeardTap> heard_;
  double reached_ = -std::numeric_limits<double>::infinity();  // heard frame
};
