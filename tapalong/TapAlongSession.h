#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "tapalong/TimedTake.h"

// What the engine plays, as a take's plan is made from it.
struct LoopSettings {
  std::int32_t pattern = 0;
  std::uint32_t loopFrames = 0;
  std::uint32_t loops = 0;
  std::uint32_t silentCycle = 0;
  // Through loudspeakers, a stroke of a sounding loop left untapped may have been played and
  // hidden under Tocolo's own: it is masked, not missed.
  bool soundingMasked = false;
};

// What the tap-along window keeps between taps: the take being made, or the last one made,
// taps waiting for the output's clock, and a calibration under way. The window passes in the
// time, the output's clock and what plays; nothing here reads a clock or a device itself.
class TapAlongSession {
 public:
  using Clock = LoopClock::Clock;
  // How long the output may play without saying when its sound is heard before taps are
  // given up on: a sound server tells within a few milliseconds of a start.
  static constexpr std::chrono::milliseconds kClockGrace{500};
  static constexpr std::size_t kCalibrationTaps = 16;

  struct CalibrationResult {
    std::optional<double> adjustmentMs;  // none when too few taps fell near a beat
    std::size_t hits = 0;
  };

  // A tap made at `time` while the loop plays `settings`; `clock` is the output's now. A take
  // begins with the first tap on each start of the output.
  void AddTap(Clock::time_point time, TapSource source, const std::optional<LoopClock>& clock,
              const LoopSettings& settings, Clock::time_point now);
  // A tap the microphone heard, already placed on the loop's timeline by the start `start` of
  // the output's clock, the adjustment applying or not (see TimedTake::AddHeard).
  void AddHeardTap(double frame, std::uint64_t start, bool adjustable,
                   const std::optional<LoopClock>& clock, const LoopSettings& settings,
                   Clock::time_point now);
  // While the loop plays: the take is heard up to `now`, and taps made before the clock was
  // known are scored once it is.
  void Refresh(const std::optional<LoopClock>& clock, const LoopSettings& settings,
               Clock::time_point now);
  // Taps stop coming at `now` (the loop stopped, or the window closed): the take rests, its
  // figures kept until the next one begins.
  void Rest(Clock::time_point now);
  void Reset();

  void SetAdjustmentMs(double adjustmentMs);
  double AdjustmentMs() const { return adjustmentMs_; }

  // While calibrating, taps are scored against the beat instead of the strokes, and after
  // kCalibrationTaps of them the result is ready, once.
  void StartCalibration(Clock::time_point now);
  void CancelCalibration();
  bool Calibrating() const { return calibrating_; }
  std::size_t CalibrationTapCount() const;
  std::optional<CalibrationResult> TakeCalibrationResult();

  // The output has played a moment without saying when its sound is heard: nothing is scored
  // until it does.
  bool Untimeable() const { return untimeable_; }
  const Take* CurrentTake() const { return take_ ? &take_->Scored() : nullptr; }
  // Changes whenever the take's list of taps is replaced or a tap lands before the last
  // one, rather than a tap added at its end.
  std::uint64_t Revision() const { return revision_; }

 private:
  struct PendingTap {
    Clock::time_point time;
    TapSource source;
  };

  void Score(Clock::time_point time, TapSource source, const LoopClock& clock,
             const LoopSettings& settings);
  // The take on the clock's start, begun if there is none.
  void OpenTake(const LoopClock& clock, const LoopSettings& settings);
  // A tap that landed before the last one changes the list's order, not only its end.
  void NoteWhereListed(const ScoredTap& tap);
  void FinishCalibration();

  std::optional<TimedTake> take_;
  bool takeOpen_ = false;  // taps on the same start still join it
  std::vector<PendingTap> pending_;
  std::optional<Clock::time_point> noClockSince_;
  bool untimeable_ = false;
  double adjustmentMs_ = 0;
  std::uint64_t revision_ = 0;
  bool calibrating_ = false;
  std::optional<TimedTake> calibration_;
  std::optional<CalibrationResult> calibrationResult_;
};
