#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Where the strokes of a pattern fall on the timeline a take is scored on, in samples:
// repetition k of the loop starts at k * LoopFrames(), and repetitions 0 to Loops() - 1 play;
// strokes of any other repetition do not exist.
class StrokePlan {
 public:
  static constexpr std::uint32_t kSampleRate = 44100;
  static constexpr double kMaxWindowMs = 150;

  // The strokes of one loop, in any order. They are sorted and made distinct, and any that is
  // not finite or lies outside [0, loopFrames) is dropped. A plan with no loop frames or no
  // sample rate has no strokes, so every tap on it is an extra.
  StrokePlan(std::vector<double> strokes, std::uint32_t loopFrames, std::uint32_t loops,
             std::uint32_t sampleRate = kSampleRate);
  // The strokes where CRhythmEngine renders them: each fraction of the loop times its frames,
  // rounded down to a whole sample. The engine's table lists the last stroke of "2-3" and
  // "3-2 (rumba)" twice; it is one stroke here.
  static StrokePlan FromFractions(std::span<const double> fractions, std::uint32_t loopFrames,
                                  std::uint32_t loops);

  // Every cycle-th repetition is silent: repetition k when cycle >= 2 and
  // k % cycle == cycle - 1. 0 or 1: none.
  void SetSilentCycle(std::uint32_t cycle) { silentCycle_ = cycle; }
  // Through loudspeakers the player's stroke may be hidden under the loop's own, so that a
  // missing tap cannot be told from one that was not heard. With this on, a stroke of a
  // sounding repetition whose window closes without a tap is masked, not missed.
  void SetUntappedSoundingMasked(bool masked) { untappedSoundingMasked_ = masked; }

  const std::vector<double>& Strokes() const { return strokes_; }
  std::uint32_t LoopFrames() const { return loopFrames_; }
  std::uint32_t Loops() const { return loops_; }
  std::uint32_t SampleRate() const { return sampleRate_; }
  std::uint32_t SilentCycle() const { return silentCycle_; }
  bool UntappedSoundingMasked() const { return untappedSoundingMasked_; }

  bool IsSilent(std::int64_t repetition) const;
  double StrokePosition(std::int64_t repetition, std::size_t index) const {
    return static_cast<double>(repetition) * loopFrames_ + strokes_[index];
  }
  // How far, in samples, a tap may lie from a stroke and still be aimed at it: half the
  // smallest gap between two strokes, the gap across the loop's boundary included, so that no
  // two windows overlap; never more than kMaxWindowMs. 0 without strokes.
  double MatchWindow() const { return window_; }
  double ToMilliseconds(double samples) const { return samples * 1000.0 / sampleRate_; }
  // The smallest distance between two strokes, in samples, the one across the loop's boundary
  // included. Only for a plan with strokes.
  double SmallestGap() const;

 private:
  std::vector<double> strokes_;
  std::uint32_t loopFrames_;
  std::uint32_t loops_;
  std::uint32_t sampleRate_;
  std::uint32_t silentCycle_ = 0;
  bool untappedSoundingMasked_ = false;
  double window_ = 0;
};
