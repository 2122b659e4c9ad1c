#include "tapalong/TapAlongSession.h"

#include <utility>

#include "engine/RhythmEngine.h"
#include "tapalong/Calibration.h"

namespace {

StrokePlan StrokesOf(const LoopSettings& settings) {
  if (settings.pattern < 0 || settings.pattern >= CRhythmEngine::kPatternCount) {
    return StrokePlan({}, settings.loopFrames, settings.loops);
  }
  StrokePlan plan = StrokePlan::FromFractions(
      CRhythmEngine::kClaveTable[static_cast<std::size_t>(settings.pattern)], settings.loopFrames,
      settings.loops);
  plan.SetSilentCycle(settings.silentCycle);
  plan.SetUntappedSoundingMasked(settings.soundingMasked);
  return plan;
}

// The beat where the engine clicks it: loop frames * k / beats, rounded down.
StrokePlan BeatsOf(const LoopSettings& settings) {
  const std::uint32_t beats = CRhythmEngine::BeatsPerLoop(settings.pattern);
  std::vector<double> positions;
  for (std::uint32_t k = 0; k < beats; ++k) {
    positions.push_back(static_cast<double>(std::uint64_t{settings.loopFrames} * k / beats));
  }
  return StrokePlan(std::move(positions), settings.loopFrames, settings.loops);
}

}  // namespace

void TapAlongSession::AddTap(Clock::time_point time, TapSource source,
                             const std::optional<LoopClock>& clock, const LoopSettings& settings,
                             Clock::time_point now) {
  Refresh(clock, settings, now);
  if (clock) {
    Score(time, source, *clock, settings);
  } else if (!untimeable_) {
    pending_.push_back({time, source});
  }
}

void TapAlongSession::AddHeardTap(double frame, std::uint64_t start, bool adjustable,
                                  const std::optional<LoopClock>& clock,
                                  const LoopSettings& settings, Clock::time_point now) {
  Refresh(clock, settings, now);
  // Heard on a start of the loop that has since been cut: it belongs to no take.
  if (!clock || clock->start != start || calibrating_) return;
  OpenTake(*clock, settings);
  const ScoredTap tap = take_->AddHeard(frame, TapSource::kMicrophone, adjustable);
  NoteWhereListed(tap);
}

void TapAlongSession::Refresh(const std::optional<LoopClock>& clock, const LoopSettings& settings,
                              Clock::time_point now) {
  if (!clock) {
    if (!noClockSince_) noClockSince_ = now;
    if (now - *noClockSince_ >= kClockGrace) {
      untimeable_ = true;
      pending_.clear();
    }
    return;
  }
  noClockSince_.reset();
  untimeable_ = false;
  if (takeOpen_ && take_->Start() != clock->start) {
    take_->CutAt(*clock);
    takeOpen_ = false;
  }
  if (calibration_ && calibration_->Start() != clock->start) calibration_.reset();
  if (calibration_) calibration_->Follow(*clock);
  const std::vector<PendingTap> pending = std::move(pending_);
  pending_.clear();
  for (const PendingTap& tap : pending) Score(tap.time, tap.source, *clock, settings);
  if (takeOpen_) {
    take_->Follow(*clock);
    take_->AdvanceTo(now);
  }
}

void TapAlongSession::Rest(Clock::time_point now) {
  if (takeOpen_) take_->AdvanceTo(now);
  takeOpen_ = false;
  calibration_.reset();
  pending_.clear();
  noClockSince_.reset();
}

void TapAlongSession::Reset() {
  take_.reset();
  takeOpen_ = false;
  ++revision_;
}

void TapAlongSession::Score(Clock::time_point time, TapSource source, const LoopClock& clock,
                            const LoopSettings& settings) {
  if (calibrating_) {
    // Against the beat as heard, with no adjustment: the result is the adjustment.
    if (!calibration_) calibration_.emplace(BeatsOf(settings), clock, 0);
    calibration_->AddTap(time, source);
    if (calibration_->Scored().Taps().size() >= kCalibrationTaps) FinishCalibration();
    return;
  }
  OpenTake(clock, settings);
  NoteWhereListed(take_->AddTap(time, source));
}

void TapAlongSession::OpenTake(const LoopClock& clock, const LoopSettings& settings) {
  if (takeOpen_ && take_->Start() == clock.start) return;
  take_.emplace(StrokesOf(settings), clock, adjustmentMs_);
  takeOpen_ = true;
  ++revision_;
}

void TapAlongSession::NoteWhereListed(const ScoredTap& tap) {
  if (tap.verdict == TapVerdict::kRejected) return;
  if (take_->Scored().Taps().back().position != tap.position) ++revision_;
}

void TapAlongSession::SetAdjustmentMs(double adjustmentMs) {
  if (adjustmentMs == adjustmentMs_) return;
  adjustmentMs_ = adjustmentMs;
  if (!take_) return;
  take_->SetAdjustmentMs(adjustmentMs);
  ++revision_;
}

void TapAlongSession::StartCalibration(Clock::time_point now) {
  calibrating_ = true;
  calibration_.reset();
  calibrationResult_.reset();
  // The take made so far ends here; the next one begins after the calibration.
  if (takeOpen_) take_->AdvanceTo(now);
  takeOpen_ = false;
  pending_.clear();
}

void TapAlongSession::CancelCalibration() {
  calibrating_ = false;
  calibration_.reset();
}

std::size_t TapAlongSession::CalibrationTapCount() const {
  return calibration_ ? calibration_->Scored().Taps().size() : 0;
}

std::optional<TapAlongSession::CalibrationResult> TapAlongSession::TakeCalibrationResult() {
  return std::exchange(calibrationResult_, std::nullopt);
}

void TapAlongSession::FinishCalibration() {
  std::vector<double> offsets;
  for (const ScoredTap& tap : calibration_->Scored().Taps()) {
    if (tap.verdict == TapVerdict::kHit) offsets.push_back(*tap.offsetMs);
  }
  calibrationResult_ = CalibrationResult{CalibrationAdjustmentMs(offsets), offsets.size()};
  CancelCalibration();
}
