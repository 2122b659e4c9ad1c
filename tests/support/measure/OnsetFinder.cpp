#include "support/measure/OnsetFinder.h"

#include <algorithm>
#include <cmath>

OnsetFinder::OnsetFinder(std::span<const std::int16_t> tone) : tone_(tone.begin(), tone.end()) {
  tone_.resize(std::max(tone_.size(), kAttackLength), 0);
  for (std::size_t k = 0; k + kAttackLength <= tone_.size(); ++k) {
    double energy = 0;
    for (std::size_t i = 0; i < kAttackLength; ++i) energy += tone_[k + i] * tone_[k + i];
    norms_.push_back(std::sqrt(energy));
  }
}

double OnsetFinder::Similarity(std::span<const std::int16_t> recording, std::size_t at,
                               std::size_t toneAt) const {
  double dot = 0;
  double energy = 0;
  for (std::size_t i = 0; i < kAttackLength; ++i) {
    const double x = recording[at + i];
    dot += x * tone_[toneAt + i];
    energy += x * x;
  }
  const double norm = std::sqrt(energy) * norms_[toneAt];
  return norm == 0 ? 0 : dot / norm;
}

namespace {

constexpr std::size_t kSlip = 2;

}  // namespace

std::vector<std::size_t> OnsetFinder::Find(std::span<const std::int16_t> recording) const {
  if (recording.size() < kAttackLength) return {};
  const std::size_t windows = recording.size() - kAttackLength + 1;
  // Running energy, so that silence costs nothing.
  std::vector<std::int64_t> energyBefore(recording.size() + 1, 0);
  for (std::size_t i = 0; i < recording.size(); ++i)
    energyBefore[i + 1] = energyBefore[i] + std::int64_t{recording[i]} * recording[i];
  std::vector<double> similarity(windows, 0);
  for (std::size_t p = 0; p < windows; ++p) {
    if (energyBefore[p + kAttackLength] != energyBefore[p])
      similarity[p] = Similarity(recording, p, 0);
  }

  std::vector<std::size_t> onsets;
  for (std::size_t p = 0; p < windows; ++p) {
    if (similarity[p] < kThreshold) continue;
    // The best match within an attack's length either side...
    const std::size_t low = p > kAttackLength ? p - kAttackLength : 0;
    const std::size_t high = std::min(windows, p + kAttackLength + 1);
    const auto best = std::max_element(similarity.begin() + static_cast<std::ptrdiff_t>(low),
                                       similarity.begin() + static_cast<std::ptrdiff_t>(high));
    if (static_cast<std::size_t>(best - similarity.begin()) != p) continue;
    // ...that the previous stroke's ringing does not explain as well, allowing for a sample or
    // two lost or gained since that stroke.
    bool ringing = false;
    if (!onsets.empty()) {
      const std::size_t since = p - onsets.back();
      for (std::size_t lag = since - std::min<std::size_t>(since, kSlip);
           lag <= since + kSlip && lag < norms_.size() && !ringing; ++lag)
        ringing = Similarity(recording, p, lag) >= similarity[p];
    }
    if (!ringing) onsets.push_back(p);
  }
  return onsets;
}
