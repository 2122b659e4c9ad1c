#include "tapalong/StrokeListener.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;

constexpr double kRate = OnsetDetector::kRate;
// Verdicts in a row that settle how Tocolo is heard: that it comes back, and that it does not.
// The player's strokes, louder than Tocolo's echo, can hide it in a span; once Tocolo has been
// heard it takes longer to decide it is no longer.
constexpr int kHeardToSettle = 2;
constexpr int kUnheardToSettle = 3;
constexpr int kUnheardToUnsettle = 5;
// Below this confidence the span says Tocolo is not heard; between it and EchoFinder's
// kHeardConfidence it says nothing either way.
constexpr float kUnheardConfidence = 0.1f;
// Once Tocolo knows it comes back, it looks for itself only this close to the round trip it
// measured: near enough to follow the room and the clocks' drift, too near for a player who
// plays steadily early or late, and loud, to be taken for Tocolo's own sound (a span now and
// then correlates best there, as well as Tocolo does).
constexpr std::int32_t kFollowDelay = 88;  // 2 ms
// The looks that settle the round trip agree within this.
constexpr std::int32_t kSameDelay = 44;  // 1 ms
// How long a stroke heard before that is kept waiting, in samples.
constexpr std::int64_t kLongestHeld = 3 * OnsetDetector::kRate;

bool IsSilentRepetition(std::int64_t repetition, std::uint32_t cycle) {
  return cycle >= 2 && repetition % cycle == cycle - 1;
}

}  // namespace

StrokeListener::StrokeListener()
    : history_(std::make_unique<std::int16_t[]>(kHistory)),
      played_(std::make_unique<std::int16_t[]>(2 * kEchoSpan)),
      worker_([this] { Work(); }) {}

StrokeListener::~StrokeListener() {
  {
    const std::lock_guard lock(wake_);
    stopping_ = true;
  }
  fed_.notify_one();
  worker_.join();
}

bool StrokeListener::Feed(std::span<const std::int16_t> samples, std::uint64_t first) {
  const bool fitted = ring_.Write(samples, first);
  fed_.notify_one();
  return fitted;
}

void StrokeListener::SetTimeline(ListeningTimeline timeline) {
  const std::lock_guard lock(timelineMutex_);
  timeline_ = std::move(timeline);
}

std::size_t StrokeListener::TakeStrokes(std::span<HeardStroke> out) {
  const std::lock_guard lock(strokesMutex_);
  const std::size_t n = std::min(out.size(), strokeCount_);
  std::copy_n(strokes_.begin(), n, out.begin());
  std::copy(strokes_.begin() + static_cast<std::ptrdiff_t>(n),
            strokes_.begin() + static_cast<std::ptrdiff_t>(strokeCount_), strokes_.begin());
  strokeCount_ -= n;
  return n;
}

std::optional<double> StrokeListener::RoundTripMs() const {
  if (hearing_.load() != Hearing::kLoudspeakers) return std::nullopt;
  return delay_.load() * 1000.0 / kRate;
}

float StrokeListener::TakePeak() {
  return peak_.exchange(0);
}

void StrokeListener::Work() {
  static constexpr std::array<std::int16_t, SampleRing::kPieceSamples> kSilence{};
  for (;;) {
    {
      std::unique_lock lock(wake_);
      fed_.wait_for(lock, 20ms);
      if (stopping_) return;
    }
    for (const SampleRing::Piece* piece; (piece = ring_.Front()) != nullptr; ring_.Pop()) {
      // What was dropped is heard as silence, so that every later sample keeps its time.
      for (auto gap = static_cast<std::int64_t>(piece->first) - heard_; gap > 0;) {
        const auto n = std::min<std::int64_t>(gap, static_cast<std::int64_t>(kSilence.size()));
        Hear(std::span(kSilence).first(static_cast<std::size_t>(n)));
        gap -= n;
      }
      Hear(std::span(piece->samples).first(piece->size));
    }
  }
}

void StrokeListener::Hear(std::span<const std::int16_t> block) {
  float loudest = 0;
  for (std::size_t i = 0; i < block.size(); ++i) {
    history_[static_cast<std::size_t>(heard_ + static_cast<std::int64_t>(i)) % kHistory] = block[i];
    loudest = std::max(loudest, std::abs(static_cast<float>(block[i])) / 32768.0f);
  }
  for (float was = peak_.load(); loudest > was && !peak_.compare_exchange_weak(was, loudest);) {
  }
  detector_.Process(block);
  heard_ += static_cast<std::int64_t>(block.size());
  if (heard_ >= nextEchoAt_) {
    FindEcho();
    // Often until it is known how Tocolo is heard, then enough to follow a room that changes:
    // each look is three transforms of 128k points.
    const bool known = hearing_.load() != Hearing::kUnknown;
    nextEchoAt_ = heard_ + static_cast<std::int64_t>(known ? 2 * kEchoSpan : kEchoSpan / 2);
  }

  ListeningTimeline timeline;
  {
    const std::lock_guard lock(timelineMutex_);
    timeline = timeline_;
  }
  std::array<Onset, 16> found;
  for (std::size_t n; (n = detector_.TakeOnsets(found)) > 0;) {
    for (std::size_t i = 0; i < n; ++i) Hold(found[i]);
  }
  // Each stroke waits until it is known how Tocolo is heard, then is the player's or not.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < heldCount_; ++i) {
    const Onset& onset = held_[i];
    if (hearing_.load() == Hearing::kUnknown || !timeline.output || !timeline.input) {
      if (heard_ - onset.sample < kLongestHeld) held_[kept++] = onset;
      continue;
    }
    if (const std::optional<double> frame = PlayerFrame(onset.sample, timeline)) {
      const std::lock_guard lock(strokesMutex_);
      if (strokeCount_ == strokes_.size()) {
        std::copy(strokes_.begin() + 1, strokes_.end(), strokes_.begin());
        --strokeCount_;
      }
      strokes_[strokeCount_++] = {*frame, timeline.output->start,
                                  timeline.input->CapturedAt(static_cast<double>(onset.sample)),
                                  onset.peak};
    }
  }
  heldCount_ = kept;
}

void StrokeListener::Hold(const Onset& onset) {
  if (heldCount_ == held_.size()) {
    std::copy(held_.begin() + 1, held_.end(), held_.begin());
    --heldCount_;
  }
  held_[heldCount_++] = onset;
}

void StrokeListener::FindEcho() {
  ListeningTimeline timeline;
  {
    const std::lock_guard lock(timelineMutex_);
    timeline = timeline_;
  }
  if (!timeline.output || !timeline.input || !timeline.loop || timeline.loop->empty()) return;
  const std::int64_t first = heard_ - static_cast<std::int64_t>(kEchoSpan);
  if (first < 0) return;
  const std::span<std::int16_t> reference(played_.get(), kEchoSpan);
  const std::span<std::int16_t> recording(played_.get() + kEchoSpan, kEchoSpan);
  PlayedAt(first, reference, timeline);
  // Only what sounded says whether it comes back: a silent loop says nothing.
  if (std::all_of(reference.begin(), reference.end(),
                  [](std::int16_t s) { return std::abs(s) < 64; })) {
    return;
  }
  for (std::size_t i = 0; i < kEchoSpan; ++i) {
    recording[i] =
        history_[static_cast<std::size_t>(first + static_cast<std::int64_t>(i)) % kHistory];
  }
  const bool loudspeakers = hearing_.load() == Hearing::kLoudspeakers;
  const std::int32_t known = delay_.load();
  const EchoMatch match =
      loudspeakers ? echo_.Find(reference, recording, known - kFollowDelay, known + kFollowDelay)
                   : echo_.Find(reference, recording);
  if (match.delay) {
    const bool agrees = newDelayRun_ > 0 && std::abs(*match.delay - newDelay_) <= kSameDelay;
    newDelayRun_ = agrees ? newDelayRun_ + 1 : 1;
    newDelay_ = *match.delay;
    verdictRun_ = std::max(1, verdictRun_ + 1);
  } else if (match.confidence < kUnheardConfidence) {
    verdictRun_ = std::min(-1, verdictRun_ - 1);
    newDelayRun_ = 0;
  } else {
    return;
  }
  if (loudspeakers && match.delay) {
    // Halfway to the look: the room as it is now followed, a look's own error halved.
    delay_ = (known + *match.delay) / 2;
  } else if (!loudspeakers && newDelayRun_ >= kHeardToSettle) {
    delay_ = newDelay_;
    hearing_ = Hearing::kLoudspeakers;
  } else if (verdictRun_ <= -(loudspeakers ? kUnheardToUnsettle : kUnheardToSettle)) {
    hearing_ = Hearing::kHeadphones;
  }
}

void StrokeListener::PlayedAt(std::int64_t first, std::span<std::int16_t> out,
                              const ListeningTimeline& timeline) const {
  // The clocks are straight lines over a second: where its ends fall is enough.
  const auto frameAt = [&](std::int64_t sample) {
    return timeline.output->FrameHeardAt(timeline.input->CapturedAt(static_cast<double>(sample)));
  };
  const double from = frameAt(first);
  const double to = frameAt(first + static_cast<std::int64_t>(out.size()));
  const std::vector<std::int16_t>& loop = *timeline.loop;
  const auto loopFrames = static_cast<std::int64_t>(loop.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto frame = static_cast<std::int64_t>(std::llround(
        from + (to - from) * static_cast<double>(i) / static_cast<double>(out.size())));
    const std::int64_t repetition = frame >= 0 ? frame / loopFrames : -1;
    const bool sounds = repetition >= 0 && repetition < timeline.loops &&
                        !IsSilentRepetition(repetition, timeline.silentCycle);
    out[i] = sounds ? loop[static_cast<std::size_t>(frame % loopFrames)] : 0;
  }
}

std::optional<double> StrokeListener::PlayerFrame(std::int64_t sample,
                                                  const ListeningTimeline& timeline) const {
  const bool loudspeakers = hearing_.load() == Hearing::kLoudspeakers;
  const double struck = static_cast<double>(sample - (loudspeakers ? delay_.load() : 0));
  const double frame = timeline.output->FrameHeardAt(timeline.input->CapturedAt(struck));
  if (loudspeakers && IsOwn(frame, timeline)) return std::nullopt;
  return frame;
}

bool StrokeListener::IsOwn(double frame, const ListeningTimeline& timeline) const {
  if (!timeline.loop || !timeline.ownOnsets || timeline.loop->empty()) return false;
  const auto loopFrames = static_cast<double>(timeline.loop->size());
  const double near = kOwnMs * kRate / 1000;
  const auto repetition = static_cast<std::int64_t>(std::floor(frame / loopFrames));
  // The sounds of this repetition and of its neighbours, for a stroke near the boundary.
  for (std::int64_t r = repetition - 1; r <= repetition + 1; ++r) {
    if (r < 0 || r >= timeline.loops || IsSilentRepetition(r, timeline.silentCycle)) continue;
    for (double own : *timeline.ownOnsets) {
      if (std::abs(frame - (static_cast<double>(r) * loopFrames + own)) <= near) return true;
    }
  }
  return false;
}
