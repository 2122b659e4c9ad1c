#include "tapalong/OnsetDetector.h"

#include <algorithm>
#include <cmath>

namespace {

// aubio's candidates: its "energy" method passed the stroke test sounds at every level with
// white and pink room noise, where "hfc", "complex" and "specflux" missed most strokes in
// white noise; the high-pass is what keeps pink noise from faking candidates.
constexpr char kMethod[] = "energy";
constexpr unsigned kWindow = 512;
constexpr unsigned kHop = 128;
constexpr float kThreshold = 0.8f;
constexpr float kSilenceDb = -90.0f;  // quiet strokes count: the placement judges noise
constexpr unsigned kAubioMinGap = 441;
constexpr double kHighPassHz = 300.0;

// Placement, in samples at 44.1 kHz.
constexpr std::int64_t kSearchBefore = 384;
constexpr std::int64_t kSearchAfter = 256;
constexpr std::int64_t kGuard = 176;  // 4 ms
constexpr std::int64_t kNoiseWindow = 661;
constexpr std::int64_t kMinGap = 1102;  // 25 ms
constexpr std::int64_t kPeakSpan = 441;
constexpr std::int64_t kFloorBack = kGuard + kNoiseWindow;
constexpr std::int64_t kEnvelope = 44;  // 1 ms
constexpr double kRiseOverFloor = 3.0;  // 4.8 dB
constexpr double kExcessOverNoise = 4.0;
constexpr double kQuantum = 1.0;  // one step of 16-bit sound: below it is silence

// A candidate waits until the samples its placement reads after it are in; the placement
// reads back to the start of the floor window.
constexpr std::int64_t kReadyAfter = kSearchAfter + kPeakSpan;
constexpr std::int64_t kReadBack = kSearchBefore + kFloorBack + kEnvelope;

}  // namespace

OnsetDetector::OnsetDetector(std::size_t capacity)
    : highPass_(kHighPassHz, kRate),
      aubio_(new_aubio_onset(kMethod, kWindow, kHop, kRate)),
      hop_(new_fvec(kHop)),
      answer_(new_fvec(1)),
      filtered_(std::make_unique<float[]>(kHistory)),
      raw_(std::make_unique<std::int16_t[]>(kHistory)),
      floor_(kNoiseWindow),
      found_(std::make_unique<Onset[]>(capacity)),
      capacity_(capacity) {
  static_assert(kReadyAfter + kHop + kReadBack <= static_cast<std::int64_t>(kHistory));
  if (!aubio_) return;
  aubio_onset_set_threshold(aubio_.get(), kThreshold);
  aubio_onset_set_silence(aubio_.get(), kSilenceDb);
  aubio_onset_set_minioi(aubio_.get(), kAubioMinGap);
}

void OnsetDetector::Process(std::span<const std::int16_t> block) {
  if (!aubio_ || !hop_ || !answer_) return;
  for (const std::int16_t x : block) {
    const double y = highPass_.Process(x);
    filtered_[fed_ & (kHistory - 1)] = static_cast<float>(y);
    raw_[fed_ & (kHistory - 1)] = x;
    ++fed_;
    hop_->data[hopFill_++] = static_cast<smpl_t>(y / 32768.0);
    if (hopFill_ == kHop) {
      hopFill_ = 0;
      DetectInHop();
    }
  }
}

void OnsetDetector::DetectInHop() {
  aubio_onset_do(aubio_.get(), hop_.get(), answer_.get());
  const smpl_t answer = answer_->data[0];
  if (answer > 0 && pendingCount_ < kPendingCapacity) {
    // aubio's own reckoning of its candidate, kept on our 64-bit timeline.
    const std::int64_t hopStart = fed_ - kHop;
    pending_[pendingCount_++] = hopStart + std::lround(answer * kHop) -
                                static_cast<std::int64_t>(aubio_onset_get_delay(aubio_.get()));
  }
  while (pendingCount_ > 0 && fed_ >= pending_[0] + kReadyAfter) {
    Refine(pending_[0]);
    std::copy(pending_.begin() + 1, pending_.begin() + pendingCount_, pending_.begin());
    --pendingCount_;
  }
}

void OnsetDetector::Refine(std::int64_t candidate) {
  const std::int64_t searchStart =
      std::max({candidate - kSearchBefore, lastOnset_ + kMinGap, kFloorBack + kEnvelope});
  const std::int64_t searchEnd = candidate + kSearchAfter;
  if (fed_ - (searchStart - kFloorBack - kEnvelope) > static_cast<std::int64_t>(kHistory)) return;
  // Energies of the millisecond ending at `n`, and at the end of the floor window behind it.
  double energy = 0, behind = 0;
  for (std::int64_t k = searchStart - kEnvelope; k < searchStart; ++k) energy += Square(k);
  for (std::int64_t k = searchStart - kFloorBack - kEnvelope; k < searchStart - kFloorBack; ++k)
    behind += Square(k);
  floor_.Clear();
  for (std::int64_t n = searchStart - kFloorBack; n < searchStart - kGuard; ++n) {
    behind += Square(n) - Square(n - kEnvelope);
    floor_.Push(static_cast<float>(behind));
  }
  for (std::int64_t n = searchStart; n < searchEnd; ++n) {
    energy += Square(n) - Square(n - kEnvelope);
    const double floor = std::max<double>(floor_.Max(), kEnvelope * kQuantum * kQuantum);
    behind += Square(n - kGuard) - Square(n - kGuard - kEnvelope);
    floor_.Push(static_cast<float>(behind));
    if (energy <= kRiseOverFloor * floor) continue;
    const std::int64_t first = StrokeStart(n);
    if (first < lastOnset_ + kMinGap) return;
    int loudest = 0;
    for (std::int64_t k = first; k < first + kPeakSpan; ++k)
      loudest = std::max(loudest, std::abs(static_cast<int>(Raw(k))));
    lastOnset_ = first;
    Report({first, static_cast<float>(loudest) / 32768.0f});
    return;
  }
}

std::int64_t OnsetDetector::StrokeStart(std::int64_t loud) const {
  double noise = 0;
  for (std::int64_t n = loud - kFloorBack; n < loud - kGuard; ++n) noise += Square(n);
  const double bar = kExcessOverNoise * std::max(noise / kNoiseWindow, kQuantum * kQuantum);
  double excess = 0, most = 0;
  std::int64_t start = loud;
  for (std::int64_t n = loud; n >= loud - kGuard; --n) {
    excess += Square(n) - bar;
    if (excess >= most) {
      most = excess;
      start = n;
    }
  }
  return start;
}

void OnsetDetector::Report(Onset onset) {
  if (foundCount_ == capacity_) {
    ++dropped_;
    return;
  }
  found_[(foundFirst_ + foundCount_) % capacity_] = onset;
  ++foundCount_;
}

std::size_t OnsetDetector::TakeOnsets(std::span<Onset> out) {
  const std::size_t count = std::min(out.size(), foundCount_);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = found_[foundFirst_];
    foundFirst_ = (foundFirst_ + 1) % capacity_;
  }
  foundCount_ -= count;
  return count;
}
