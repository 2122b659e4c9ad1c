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
  // A tap already placed on the loop's timeline (the microphone's, with the room's delay
  // taken off). Through loudspeakers Tocolo measured where its own sound is heard, so the
  // adjustment, for what no server knows, does not apply: `adjustable` is false.
  ScoredTap AddHeard(double frame, TapSource source, bool adjustable);
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
    bool adjustable;
  };

  double Adjusted(const HeardTap& tap) const {
    return tap.adjustable ? tap.frame - adjustmentFrames_ : tap.frame;
  }

  LoopClock clock_;
  double adjustmentFrames_;
  Take take_;
  std::vector<HeardTap> heard_;
  double reached_ = -std::numeric_limits<double>::infinity();  // heard frame
};
