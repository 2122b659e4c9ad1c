#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Finds where a known tone starts in a recording, after silence, cutting into an earlier
// stroke or sounding over another tone. Windows of the recording are correlated with the
// tone's attack, normalised so that the volume it was recorded at does not matter. A
// percussive tone's ringing resembles its own attack, so a match inside the ringing of a
// stroke found earlier counts only if the attack explains it better than that ringing does.
class OnsetFinder {
 public:
  static constexpr std::size_t kAttackLength = 256;  // samples matched, and the closest two
                                                     // onsets may lie
  static constexpr double kThreshold = 0.9;

  explicit OnsetFinder(std::span<const std::int16_t> tone);

  // Sample indices where the tone starts with its whole attack recorded, in order.
  std::vector<std::size_t> Find(std::span<const std::int16_t> recording) const;

 private:
  // How closely the recording from `at` resembles the tone from `toneAt`: 1 for the same
  // sound at any volume, 0 for silence.
  double Similarity(std::span<const std::int16_t> recording, std::size_t at,
                    std::size_t toneAt) const;

  std::vector<double> tone_;
  std::vector<double> norms_;  // of each attack-long window of the tone
};
