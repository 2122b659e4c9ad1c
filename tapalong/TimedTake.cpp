#include "tapalong/TimedTake.h"

namespace {

double Frames(double ms, const StrokePlan& plan) {
  return ms * plan.SampleRate() / 1000;
}

}  // namespace

TimedTake::TimedTake(StrokePlan plan, const LoopClock& clock, double adjustmentMs)
    : clock_(clock), adjustmentFrames_(Frames(adjustmentMs, plan)), take_(std::move(plan)) {}

ScoredTap TimedTake::AddTap(Clock::time_point time, TapSource source) {
  const double frame = clock_.FrameHeardAt(time);
  heard_.push_back({frame, source});
  return take_.AddTap(Adjusted(frame), source);
}

void TimedTake::AdvanceTo(Clock::time_point now) {
  reached_ = std::max(reached_, clock_.FrameHeardAt(now));
  take_.AdvanceTo(Adjusted(reached_));
}

void TimedTake::SetAdjustmentMs(double adjustmentMs) {
  adjustmentFrames_ = Frames(adjustmentMs, take_.Plan());
  Take rescored(take_.Plan());
  for (const HeardTap& tap : heard_) rescored.AddTap(Adjusted(tap.frame), tap.source);
  rescored.AdvanceTo(Adjusted(reached_));
  take_ = std::move(rescored);
}
