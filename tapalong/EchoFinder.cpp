#include "tapalong/EchoFinder.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// A bin of the reference with energy e weighs e / (e + kDamping * its mean energy per bin):
// near 1 where it is strong, near 0 where it has little.
constexpr double kDamping = 10.0;
constexpr double kPi = 3.14159265358979323846;

}  // namespace

EchoFinder::EchoFinder(std::size_t maxLength, std::int32_t maxLag)
    : maxLength_(maxLength),
      maxLag_(std::max(maxLag, 0)),
      size_(std::bit_ceil(maxLength + 2 * static_cast<std::size_t>(maxLag_) + 1)),
      fft_(new_aubio_fft(static_cast<uint_t>(size_))),
      signal_(new_fvec(static_cast<uint_t>(size_))),
      reference_(new_cvec(static_cast<uint_t>(size_))),
      recording_(new_cvec(static_cast<uint_t>(size_))),
      response_(new_cvec(static_cast<uint_t>(size_))) {}

EchoMatch EchoFinder::Find(std::span<const std::int16_t> reference,
                           std::span<const std::int16_t> recording) {
  return Find(reference, recording, -maxLag_, maxLag_);
}

EchoMatch EchoFinder::Find(std::span<const std::int16_t> reference,
                           std::span<const std::int16_t> recording, std::int32_t lowest,
                           std::int32_t highest) {
  lowest = std::max(lowest, -maxLag_);
  highest = std::min(highest, maxLag_);
  const std::size_t length = std::min({reference.size(), recording.size(), maxLength_});
  if (length == 0 || lowest > highest || !fft_ || !signal_ || !reference_ || !recording_ ||
      !response_)
    return {};
  const auto transform = [&](std::span<const std::int16_t> samples, cvec_t* spectrum) {
    std::fill(signal_->data, signal_->data + size_, smpl_t{0});
    std::copy(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(length),
              signal_->data);
    aubio_fft_do(fft_.get(), signal_.get(), spectrum);
  };
  transform(reference, reference_.get());
  transform(recording, recording_.get());

  const std::size_t bins = reference_->length;
  double meanEnergy = 0;
  for (std::size_t k = 0; k < bins; ++k) meanEnergy += reference_->norm[k] * reference_->norm[k];
  meanEnergy /= static_cast<double>(bins);
  if (meanEnergy == 0) return {};
  const double damping = kDamping * meanEnergy;

  // The room's response: the recording's spectrum divided by the reference's, damped.
  for (std::size_t k = 0; k < bins; ++k) {
    const double r = reference_->norm[k];
    response_->norm[k] = static_cast<smpl_t>(r * recording_->norm[k] / (r * r + damping));
    response_->phas[k] = recording_->phas[k] - reference_->phas[k];
  }
  aubio_fft_rdo(fft_.get(), response_.get(), signal_.get());
  // Lag d sits at d for d >= 0 and at size + d below.
  std::int32_t delay = 0;
  smpl_t strongest = -1;
  for (std::int32_t lag = lowest; lag <= highest; ++lag) {
    const smpl_t tap =
        std::fabs(signal_->data[lag >= 0 ? lag : static_cast<std::int64_t>(size_) + lag]);
    if (tap > strongest) {
      strongest = tap;
      delay = lag;
    }
  }

  // The normalised correlation at that delay over the reference's own bands, so that sound
  // outside them (the player's strokes, noise) weighs little.
  double product = 0, referenceEnergy = 0, recordingEnergy = 0;
  for (std::size_t k = 0; k < bins; ++k) {
    const double r = reference_->norm[k], x = recording_->norm[k];
    const double weight = (k == 0 || k == bins - 1 ? 1.0 : 2.0) * r * r / (r * r + damping);
    const double turn = 2.0 * kPi * static_cast<double>(k) * delay / static_cast<double>(size_);
    product += weight * r * x * std::cos(recording_->phas[k] - reference_->phas[k] + turn);
    referenceEnergy += weight * r * r;
    recordingEnergy += weight * x * x;
  }
  EchoMatch match;
  const double scale = std::sqrt(referenceEnergy * recordingEnergy);
  match.confidence = scale > 0 ? static_cast<float>(std::fabs(product) / scale) : 0.0f;
  if (match.confidence >= kHeardConfidence) match.delay = delay;
  return match;
}
