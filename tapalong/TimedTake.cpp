#include "tapalong/TimedTake.h"

namespace {

double Frames(double ms, const StrokePlan& plan) {
  return ms * plan.SampleRate() / 1000;
}

}  // namespace

TimedTake::TimedTake(StrokePlan plan, const LoopClock& clock, double adjustmentMs)
    : clock_(clock), adjustmentFrames_(Frames(adjustmentMs, plan)), take_(std::move(plan)) {}

ScoredTap TimedTake::AddTap(Clock::time_point time, TapSource source) {
  return AddHeard(clock_.FrameHeardAt(time), source, true);
}

ScoredTap TimedTake::AddHeard(double frame, TapSource source, bool adjustable) {
  heard_.push_back({frame, source, adjustable});
  return take_.AddTap(Adjusted(heard_.back()), source);
}

void TimedTake::AdvanceTo(Clock::time_point now) {
  reached_ = std::max(reached_, clock_.FrameHeardAt(now));
  take_.AdvanceTo(reached_ - adjustmentFrames_);
}

void TimedTake::SetAdjustmentMs(double adjustmentMs) {
  adjustmentFrames_ = Frames(adjustmentMs, take_.Plan());
  Take rescored(take_.Plan());
  for (const HeardTap& tap : heard_) rescored.AddTap(Adjusted(tap), tap.source);
  rescored.AdvanceTo(reached_ - adjustmentFrames_);
  take_ = std::move(rescored);
}
