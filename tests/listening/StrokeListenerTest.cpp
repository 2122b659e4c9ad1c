#include <gtest/gtest.h>

#include <thread>

#include "engine/RhythmEngine.h"
#include "listening/TestSounds.h"
#include "support/EngineFixture.h"
#include "tapalong/StrokeListener.h"

namespace {

using namespace sounds;
using namespace std::chrono_literals;

// 6/8 with Claves at 300: 1.2 s a loop; the player's strokes aimed at it.
constexpr std::size_t kLoopFrames = 52920, kLoops = 6;
const std::vector<std::size_t> kStrokes = {0, 8820, 22050, 30870, 39690, 48510};
const Path kRoom[] = {{1632, 0.32}, {1632 + 310, 0.1}, {1632 + 1010, 0.06}};  // 37 ms away

struct PlayerStroke {
  std::size_t loop;
  std::size_t stroke;
  std::int32_t offset;  // samples from Tocolo's stroke, as the microphone hears both
};

// The loop as one clock hears it and the other records it, sample for sample: the
// microphone's sample n is captured when the output's frame n is heard.
ListeningTimeline Timeline(const std::vector<std::int16_t>& loop) {
  const auto start = LoopClock::Clock::now();
  ListeningTimeline timeline;
  timeline.output = LoopClock{PlaybackPosition{0, {}, start, 88200.0}, 0, 2, 1};
  timeline.input = CaptureClock{start, 0, 44100.0};
  timeline.loop = std::make_shared<std::vector<std::int16_t>>(loop);
  timeline.loops = 1000;
  timeline.silentCycle = 2;
  timeline.ownOnsets = std::make_shared<std::vector<double>>(kStrokes.begin(), kStrokes.end());
  return timeline;
}

// What the listener makes of a microphone that hears the player's strokes over room noise,
// and, through loudspeakers, Tocolo's loop (every second repetition silent) through the room.
std::vector<HeardStroke> Listen(bool loudspeakers, const std::vector<PlayerStroke>& player,
                                StrokeListener& listener) {
  const std::vector<std::int16_t> loop =
      LoopFor(CRhythmEngine::kPatternSixEight, CRhythmEngine::kToneClaves, 300);
  std::vector<double> played(kLoops * kLoopFrames, 0);
  for (std::size_t k = 0; k < kLoops; k += 2)
    std::copy(loop.begin(), loop.end(),
              played.begin() + static_cast<std::ptrdiff_t>(k * kLoopFrames));
  std::vector<double> heard =
      loudspeakers ? ThroughRoom(played, kRoom) : std::vector<double>(played.size());
  const std::vector<double> noise = Noise(heard.size(), Dbfs(-50), 3, true);
  for (std::size_t n = 0; n < heard.size(); ++n) heard[n] += noise[n];
  for (const PlayerStroke& s : player) {
    const auto at = static_cast<std::size_t>(
        static_cast<std::int64_t>(s.loop * kLoopFrames + kStrokes[s.stroke]) + s.offset +
        (loudspeakers ? 1632 : 0));
    AddAt(heard, std::array{at}, PlayerClave(Dbfs(-20)));
  }
  listener.SetTimeline(Timeline(loop));
  const std::vector<std::int16_t> microphone = Pcm(heard);
  // As fast as the listener takes it.
  for (std::size_t n = 0; n < microphone.size(); n += 441) {
    const auto piece =
        std::span(microphone).subspan(n, std::min<std::size_t>(441, microphone.size() - n));
    while (!listener.Feed(piece, n)) std::this_thread::sleep_for(1ms);
  }
  std::vector<HeardStroke> strokes;
  std::array<HeardStroke, 16> taken;
  for (int wait = 0; wait < 100 && strokes.size() < player.size(); ++wait) {
    std::this_thread::sleep_for(20ms);
    const std::size_t n = listener.TakeStrokes(taken);
    strokes.insert(strokes.end(), taken.begin(), taken.begin() + static_cast<std::ptrdiff_t>(n));
  }
  std::this_thread::sleep_for(200ms);
  const std::size_t n = listener.TakeStrokes(taken);
  strokes.insert(strokes.end(), taken.begin(), taken.begin() + static_cast<std::ptrdiff_t>(n));
  return strokes;
}

void ExpectAt(const HeardStroke& heard, const PlayerStroke& aimed) {
  const double frame =
      static_cast<double>(aimed.loop * kLoopFrames + kStrokes[aimed.stroke]) + aimed.offset;
  EXPECT_NEAR(heard.frame, frame, 44) << "loop " << aimed.loop << ", stroke " << aimed.stroke;
}

// Through loudspeakers the round trip is measured from Tocolo's own strokes, which are never
// the player's; the player is heard in the silent loops, and in the sounding ones where not on
// top of Tocolo's stroke; a stroke on top of it cannot be told apart and is not reported.
TEST(StrokeListener, ThroughLoudspeakersTellsThePlayerFromTocoloAndMeasuresTheRoundTrip) {
  StrokeListener listener;
  const std::vector<PlayerStroke> player = {
      {3, 0, 1102}, {3, 2, -661}, {3, 4, 0},  // silent: late 25 ms, early 15 ms, on it
      {4, 1, -661}, {4, 3, 0},                // sounding: early 15 ms, and on Tocolo's
      {5, 5, 441}};
  const std::vector<HeardStroke> heard = Listen(true, player, listener);
  EXPECT_EQ(listener.HowHeard(), Hearing::kLoudspeakers);
  ASSERT_TRUE(listener.RoundTripMs());
  EXPECT_NEAR(*listener.RoundTripMs(), 1632 / 44.1, 0.05);
  ASSERT_EQ(heard.size(), 5u) << "the stroke on top of Tocolo's is heard as Tocolo's";
  const std::vector<PlayerStroke> told = {player[0], player[1], player[2], player[3], player[5]};
  for (std::size_t i = 0; i < told.size(); ++i) ExpectAt(heard[i], told[i]);
}

TEST(StrokeListener, WithHeadphonesEveryStrokeHeardIsThePlayers) {
  StrokeListener listener;
  const std::vector<PlayerStroke> player = {{2, 0, 0}, {2, 3, 1102}, {3, 1, -661}, {4, 5, 0}};
  const std::vector<HeardStroke> heard = Listen(false, player, listener);
  EXPECT_EQ(listener.HowHeard(), Hearing::kHeadphones);
  EXPECT_FALSE(listener.RoundTripMs());
  ASSERT_EQ(heard.size(), player.size());
  for (std::size_t i = 0; i < player.size(); ++i) ExpectAt(heard[i], player[i]);
}

}  // namespace
