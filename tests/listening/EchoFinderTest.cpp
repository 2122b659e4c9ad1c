#include <gtest/gtest.h>

#include <cstdio>

#include "engine/RhythmEngine.h"
#include "listening/TestSounds.h"
#include "support/EngineFixture.h"
#include "tapalong/EchoFinder.h"

namespace {

using namespace sounds;

struct Take {
  std::vector<std::int16_t> reference;  // what Tocolo played, as placed by the estimate
  std::vector<std::int16_t> recording;  // what the microphone heard over the same span
};

// A loop of the 2-3 pattern at the default tempo in `tone`, heard `lag` samples after the
// estimate through `room` (the direct sound first) over room noise at -50 dBFS, with the
// player's clave at `player` dBFS (none below -100) on each stroke: exactly on it, or 4 to
// 14 ms after it as a human in time to the ear.
Take Record(std::int32_t tone, std::int32_t lag, std::span<const Path> room, double player,
            bool human = false) {
  constexpr std::size_t kMaxLag = EchoFinder::kDefaultMaxLag;
  std::vector<std::int16_t> loop =
      LoopFor(CRhythmEngine::kPatternTwoThree, tone, CRhythmEngine::kDefaultTempo);
  const std::size_t length = loop.size();
  loop.insert(loop.end(), loop.begin(), loop.end());
  std::vector<Path> paths(room.begin(), room.end());
  for (Path& path : paths) path.delay += static_cast<std::size_t>(kMaxLag + lag);
  const std::vector<double> heard =
      ThroughRoom(std::vector<double>(loop.begin(), loop.end()), paths);
  std::vector<double> recording = Noise(length, Dbfs(-50), 5, false);
  for (std::size_t n = 0; n < length; ++n) recording[n] += heard[kMaxLag + n];
  std::vector<std::size_t> hits;
  const auto& table = CRhythmEngine::kClaveTable[CRhythmEngine::kPatternTwoThree];
  for (std::size_t i = 0; i < table.size(); ++i)
    if (i == 0 || table[i] != table[i - 1])
      hits.push_back(static_cast<std::size_t>(table[i] * length) +
                     (human ? 200 + i * 137 % 400 : 0));
  if (player > -100) AddAt(recording, hits, PlayerClave(Dbfs(player)));
  return {{loop.begin(), loop.begin() + static_cast<std::ptrdiff_t>(length)}, Pcm(recording)};
}

const Path kRoom[] = {{0, 0.32}, {190, 0.14}, {470, 0.1}, {1030, 0.06}};

// Through loudspeakers the microphone hears Tocolo 10 dB down with the room's reflections,
// anywhere within the estimate's 50 ms either way, alone or with the player playing along as
// a human does, quieter than the echo or louder. Through headphones it hears only the player
// and the room: never a delay, even with the player's clave exactly on every stroke.
TEST(EchoFinder, FindsTheDelayThroughLoudspeakersAndNothingThroughHeadphones) {
  EchoFinder finder(3 * 44100);
  for (std::int32_t tone = 0; tone < CRhythmEngine::kToneCount; ++tone) {
    float lowest = 1, highest = 0;
    for (const double player : {-200.0, -20.0, -10.0}) {
      for (const std::int32_t lag : {-2205, -731, 0, 1, 389, 2205}) {
        const Take take = Record(tone, lag, kRoom, player, true);
        const EchoMatch match = finder.Find(take.reference, take.recording);
        EXPECT_EQ(match.delay, lag) << "tone " << tone << ", player at " << player;
        lowest = std::min(lowest, match.confidence);
      }
      const Take take = Record(tone, 0, {}, player + 4);
      const EchoMatch match = finder.Find(take.reference, take.recording);
      EXPECT_FALSE(match.delay.has_value()) << "tone " << tone << ", player at " << player + 4;
      highest = std::max(highest, match.confidence);
    }
    EXPECT_GE(lowest, 0.6f) << "tone " << tone;
    std::printf(
        "tone %d: confidence through loudspeakers from %.2f, through headphones up to %.2f\n", tone,
        lowest, highest);
  }
}

// Nothing to compare, or silence, is not heard; spans of different lengths are compared over
// the shorter, and spans past the capacity over its length; a range of delays is kept to.
TEST(EchoFinder, AnswersSafelyForEmptySilentAndMismatchedSpans) {
  const Take take = Record(CRhythmEngine::kToneClaves, 300, kRoom, -200);
  const std::vector<std::int16_t> silence(take.reference.size(), 0);
  EchoFinder finder(take.recording.size() / 2);
  EXPECT_FALSE(finder.Find({}, take.recording).delay.has_value());
  EXPECT_FALSE(finder.Find(silence, take.recording).delay.has_value());
  EXPECT_FALSE(finder.Find(take.reference, silence).delay.has_value());
  EXPECT_EQ(finder.Find(take.reference, std::span(take.recording).first(40000)).delay, 300);
  EXPECT_EQ(finder.Find(take.reference, take.recording).delay, 300);
  EXPECT_EQ(finder.Find(take.reference, take.recording, 212, 388).delay, 300);
  EXPECT_FALSE(finder.Find(take.reference, take.recording, 388, 212).delay.has_value());
}

}  // namespace
