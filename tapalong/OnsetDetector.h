#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>

#include "tapalong/AubioPtr.h"
#include "tapalong/HighPassFilter.h"
#include "tapalong/SlidingMax.h"

// A stroke heard in the recording.
struct Onset {
  std::int64_t sample;  // its first sample, counted from the first sample ever fed
  float peak;           // the largest magnitude in its first 10 ms, 1 for full scale
  bool operator==(const Onset&) const = default;
};

// Finds percussive strokes (claves, claps, sticks, a cowbell) in mono 16-bit 44.1 kHz sound
// fed in blocks of any size, each placed on its first sample.
//
// The sound is high-passed at 300 Hz, so that a room's rumble neither hides nor fakes a
// stroke, and aubio's "energy" onset detection (512-sample window, 128-sample hop) proposes
// candidates within a few milliseconds of their stroke. Each candidate is then placed on the
// high-passed sound kept here:
//  1. From 384 samples before the candidate to 256 after it, the stroke is loud at the first
//     sample where the energy of the millisecond ending there is more than three times
//     (4.8 dB over) the floor: the loudest millisecond of the 15 ms that end 4 ms earlier,
//     whatever sounded there (room noise, an earlier stroke's ringing). A candidate without
//     such a rise is no stroke: noise, a ringing and a room's reflections never rise that far
//     over what sounded just before them.
//  2. The stroke's first sample is at most 4 ms before that: the sample from which the
//     power summed up to the loud one most exceeds four times the floor window's mean power
//     per sample. Before the stroke each sample takes from that sum, within it each adds.
// A stroke less than 25 ms after the last one is dropped, as a second answer for the same
// stroke; a flam of two strokes 30 ms apart is two strokes (of a cowbell, which rings on at
// -8 dB, 50 ms apart). A stroke whose floor would begin before the first sample fed (one in
// the first 20 ms) is not reported: there is nothing to measure it against.
//
// An onset is ready 16 to 21 ms after its stroke. Not thread-safe: the thread that feeds the
// sound also takes the onsets found, and hands copies on. Process and TakeOnsets allocate
// nothing; the constructor allocates all there is.
class OnsetDetector {
 public:
  static constexpr int kRate = 44100;

  // Keeps up to `capacity` onsets found but not yet taken.
  explicit OnsetDetector(std::size_t capacity = 256);

  // Feeds the next samples of the recording. How the sound is cut into blocks makes no
  // difference to what is found.
  void Process(std::span<const std::int16_t> block);

  // Moves the oldest onsets not yet taken into `out`, in order; returns how many.
  std::size_t TakeOnsets(std::span<Onset> out);

  // Onsets lost because `capacity` were waiting to be taken.
  std::uint64_t Dropped() const { return dropped_; }

 private:
  static constexpr std::size_t kHistory = 8192;  // a power of two: indices wrap with a mask
  static constexpr std::size_t kPendingCapacity = 8;

  float Filtered(std::int64_t n) const { return filtered_[n & (kHistory - 1)]; }
  double Square(std::int64_t n) const { return static_cast<double>(Filtered(n)) * Filtered(n); }
  std::int16_t Raw(std::int64_t n) const { return raw_[n & (kHistory - 1)]; }

  void DetectInHop();
  // Places aubio's candidate at `candidate` and reports it if it is a stroke.
  void Refine(std::int64_t candidate);
  // Where the stroke whose sound is first clearly loud at `loud` starts.
  std::int64_t StrokeStart(std::int64_t loud) const;
  void Report(Onset onset);

  HighPassFilter highPass_;
  AubioOnsetPtr aubio_;
  FvecPtr hop_;
  FvecPtr answer_;
  std::size_t hopFill_ = 0;

  std::unique_ptr<float[]> filtered_;
  std::unique_ptr<std::int16_t[]> raw_;
  std::int64_t fed_ = 0;
  SlidingMax floor_;

  // aubio's candidates waiting for the samples their placement needs: at most two, as aubio
  // answers no more than once in 10 ms and each is placed 16 ms after its time.
  std::array<std::int64_t, kPendingCapacity> pending_{};
  std::size_t pendingCount_ = 0;
  std::int64_t lastOnset_ = std::numeric_limits<std::int64_t>::min() / 2;

  std::unique_ptr<Onset[]> found_;
  std::size_t capacity_;
  std::size_t foundFirst_ = 0;
  std::size_t foundCount_ = 0;
  std::uint64_t dropped_ = 0;
};
