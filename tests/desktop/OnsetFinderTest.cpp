// The recording analysis on sound made here, where the right answer is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/EngineFixture.h"
#include "support/measure/LoopMatch.h"
#include "support/measure/OnsetFinder.h"
#include "support/measure/StrokeGrid.h"

namespace {

using Sound = std::vector<std::int16_t>;
using Positions = std::vector<std::size_t>;

const Sound& Tone(int tone) {
  static const std::array<Sound, 3> tones = {ToneSamples(0), ToneSamples(1), ToneSamples(2)};
  return tones[tone];
}

std::int16_t Clamp(double x) {
  return static_cast<std::int16_t>(std::clamp(std::lround(x), -32768L, 32767L));
}

// Each sample scaled, plus uniform noise of up to +-`noise`, the same every run.
Sound Degraded(const Sound& sound, double gain, int noise) {
  Sound out(sound.size());
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < sound.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    const int n = noise == 0 ? 0 : static_cast<int>(state >> 16) % (2 * noise + 1) - noise;
    out[i] = Clamp(sound[i] * gain + n);
  }
  return out;
}

TEST(OnsetFinder, FindsEachToneExactlyWhereItStartsAfterSilenceOrInsideEarlierStrokes) {
  // Apart, then each cutting into the ringing of the one before, 300 samples at the closest.
  const Positions positions = {0, 40001, 80000, 84410, 86615, 86915, 99000};
  for (int tone = 0; tone < 3; ++tone) {
    const Sound sound = StrokesAt(positions, Tone(tone), 140000);
    EXPECT_EQ(OnsetFinder(Tone(tone)).Find(sound), positions) << "tone " << tone;
  }
}

TEST(OnsetFinder, IgnoresVolumeAndNoiseYetSeesASingleSampleShift) {
  const Positions positions = {500, 20000, 26000, 50000};
  for (int tone = 0; tone < 3; ++tone) {
    const Sound clean = StrokesAt(positions, Tone(tone), 70000);
    // Down to a tenth of the volume, and noise 40 dB under full scale at a third of it.
    for (double gain : {1.0, 0.33, 0.1}) {
      EXPECT_EQ(OnsetFinder(Tone(tone)).Find(Degraded(clean, gain, 300)), positions)
          << "tone " << tone << " at gain " << gain;
    }
    Sound dropped = clean;
    dropped.erase(dropped.begin() + 23000);  // while the second stroke rings
    EXPECT_EQ(OnsetFinder(Tone(tone)).Find(dropped), (Positions{500, 20000, 25999, 49999}))
        << "tone " << tone;
  }
}

TEST(LoopMatch, FindsTheLoopsFirstSampleAndEveryRepetitionAndSeesASampleLostOrAdded) {
  // A loop that opens in silence, as 2-3 does, with strokes overlapping, played three times
  // after other sound.
  const Sound loop = StrokesAt({3000, 12000, 20000}, Tone(0), 36000);
  const std::size_t firstSound = 3001;  // the tones open with a zero sample
  const std::size_t before = 7777;
  Sound recording = StrokesAt({0, 4000}, Tone(1), before);
  for (int k = 0; k < 3; ++k) recording.insert(recording.end(), loop.begin(), loop.end());

  EXPECT_EQ(FindLoopStart(recording, loop), before);
  EXPECT_EQ(FindLoopStart(recording, loop, before + 1), before + loop.size());
  EXPECT_EQ(FindLoopStart(recording, loop, before + 2 * loop.size() + 1), std::nullopt);
  const LoopComparison all = CompareWithLoop(recording, loop, before, 4 * loop.size());
  EXPECT_EQ(all.compared, 3 * loop.size());
  EXPECT_EQ(all.mismatches, 0u);
  EXPECT_EQ(FindLoopStart(Sound(100000, 0), loop), std::nullopt);

  // A sample dropped or inserted at a loop boundary shows from there.
  const auto boundary = static_cast<std::ptrdiff_t>(before + loop.size());
  for (bool drop : {true, false}) {
    Sound damaged = recording;
    if (drop) {
      damaged.erase(damaged.begin() + boundary);
    } else {
      damaged.insert(damaged.begin() + boundary, 0);
    }
    const LoopComparison result = CompareWithLoop(damaged, loop, before, 3 * loop.size());
    EXPECT_GT(result.mismatches, 0u) << (drop ? "dropped" : "inserted");
    // Silence opens the loop, so the damage shows at its first sound.
    EXPECT_GE(result.firstMismatch, loop.size());
    EXPECT_LE(result.firstMismatch, loop.size() + firstSound);
  }
}

TEST(StrokeGrid, PairsOnsetsWithIdealStrokesAndCountsTheOnesThatDoNotFit) {
  const StrokeGrid grid = StrokeGrid::Of(1, 202);  // a beat of 13099.0099 samples
  const std::vector<double> ideal = grid.Positions(1000, 2);
  ASSERT_EQ(ideal.size(), 10u);
  EXPECT_DOUBLE_EQ(ideal[5] - ideal[0], 8 * 44100 * 60 / 202.0);
  Positions onsets;
  for (double x : ideal) onsets.push_back(static_cast<std::size_t>(std::lround(x)));
  onsets[3] += 3;            // late
  onsets[7] += 5000;         // off the grid: one missing, one extra
  onsets.push_back(900000);  // outside the grid's span: neither
  std::sort(onsets.begin(), onsets.end());
  const GridComparison result = CompareWithGrid(onsets, ideal);
  EXPECT_EQ(result.missing, 1u);
  EXPECT_EQ(result.extra, 1u);
  ASSERT_EQ(result.errors.size(), 9u);
  EXPECT_NEAR(result.errors[3], 3, 0.5);
  EXPECT_LE(std::abs(result.errors[0]), 0.5);
}

}  // namespace
