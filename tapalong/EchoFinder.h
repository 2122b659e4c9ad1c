#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "tapalong/AubioPtr.h"

// Whether a recording holds what Tocolo played, and how late.
struct EchoMatch {
  // Samples by which the recording lags the reference: recording[n + delay] hears
  // reference[n]. Empty when the reference is not heard (headphones).
  std::optional<std::int32_t> delay;
  // The normalised correlation of the reference with the recording at the delay found, in
  // the reference's own bands: near 1 for a clean copy, near 0 for unrelated sound. Either
  // polarity counts.
  float confidence = 0;
};

// Finds Tocolo's own output in the microphone's recording, as loudspeakers in a room let it
// back in: a delayed, quieter copy with a few reflections. The reference is what Tocolo
// played, placed on the recording's timeline by an estimate that may be off by up to
// `maxLag` samples either way; the recording covers the same span.
//
// The delay is where the room's impulse response peaks, estimated by dividing the
// recording's spectrum by the reference's (through aubio's FFT): a plain correlation of a
// ringing tone has peaks one period apart that differ by a few percent, and reflections tip
// them (it was 1 to 8 samples off for the claves). Bins where the reference is weak against
// ten times its mean energy per bin are damped rather than divided, so that the player's
// strokes and noise there count little. The confidence is the normalised correlation at
// that delay over the same bands, weighted by how strong the reference is in each; at
// kHeardConfidence or more the reference counts as heard.
//
// Allocates only in the constructor; Find may run on any one thread at a time.
class EchoFinder {
 public:
  static constexpr std::int32_t kDefaultMaxLag = 2205;  // 50 ms at 44.1 kHz
  static constexpr float kHeardConfidence = 0.3f;

  // Spans up to `maxLength` samples long; longer ones are compared over their first
  // `maxLength` samples.
  explicit EchoFinder(std::size_t maxLength, std::int32_t maxLag = kDefaultMaxLag);

  // Compares the spans over the length of the shorter, at every delay within maxLag.
  EchoMatch Find(std::span<const std::int16_t> reference, std::span<const std::int16_t> recording);
  // The same at the delays from `lowest` to `highest` only (those within maxLag).
  EchoMatch Find(std::span<const std::int16_t> reference, std::span<const std::int16_t> recording,
                 std::int32_t lowest, std::int32_t highest);

 private:
  std::size_t maxLength_;
  std::int32_t maxLag_;
  std::size_t size_;  // of the transform: lags either way never wrap onto each other
  AubioFftPtr fft_;
  FvecPtr signal_;
  CvecPtr reference_;  // spectra
  CvecPtr recording_;
  CvecPtr response_;
};
