// What a desktop's sound server does to a running program: it dies and comes back, and the
// program is hammered with changes while playing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "engine/RhythmEngine.h"
#include "support/EngineFixture.h"
#include "support/PrivatePulseServer.h"
#include "support/measure/ParecRecorder.h"

namespace {

using namespace std::chrono_literals;

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

bool Sounds(const std::vector<std::int16_t>& heard) {
  return std::any_of(heard.begin(), heard.end(), [](std::int16_t s) { return s != 0; });
}

TEST(PulseFaults, ServerDyingWhilePlayingOrStoppedAndComingBackIsSurvived) {
  CRhythmEngine engine;
  engine.SetTempo(300);
  for (const bool playing : {true, false}) {
    SCOPED_TRACE(playing ? "while playing" : "while stopped");
    engine.Play();
    ASSERT_TRUE(engine.IsPlaying());
    if (!playing) engine.Stop();

    ASSERT_TRUE(PulseServer("stop"));
    EXPECT_TRUE(WaitFor([&] { return !engine.IsPlaying(); }, 5s))
        << "a device that is gone is still reported as playing";
    engine.Play();
    EXPECT_FALSE(engine.IsPlaying()) << "nothing to play on, so START must stay available";
    engine.SetPattern(CRhythmEngine::kPatternSixEight);
    engine.Stop();

    ASSERT_TRUE(PulseServer("start"));
    ParecRecorder recorder("tocolo.monitor");
    ASSERT_TRUE(recorder.WaitForSamples(4410, 5s));
    engine.Play();
    EXPECT_TRUE(engine.IsPlaying()) << "the next start opens the output again";
    std::this_thread::sleep_for(700ms);
    engine.Stop();
    recorder.Finish();
    EXPECT_TRUE(Sounds(recorder.samples()));
  }
}

TEST(PulseLoad, ManyChangesWhilePlayingEndInTheLoopOfTheLastSettings) {
  std::vector<std::int16_t> last;
  std::uint32_t tempo = 200;
  std::int32_t pattern = 0;
  std::int32_t tone = 0;
  {
    CRhythmEngine engine;
    engine.Play();
    ASSERT_TRUE(engine.IsPlaying());
    std::mt19937 random(20261206);
    for (int i = 0; i < 10000; ++i) {
      switch (random() % 3) {
        case 0:
          tempo = 100 + 2 * (random() % 101);
          engine.SetTempo(tempo);
          break;
        case 1:
          pattern = static_cast<std::int32_t>(random() % 3);
          engine.SetPattern(pattern);
          break;
        default:
          tone = static_cast<std::int32_t>(random() % 3);
          engine.SetTone(tone);
          break;
      }
      if (i % 10 == 0) {  // a thousand stops and starts, all while the loop plays
        engine.Stop();
        engine.Play();
      }
    }
    ASSERT_TRUE(engine.IsPlaying());
    last = PlayedLoop(engine);
  }
  EXPECT_TRUE(last == LoopFor(pattern, tone, tempo));
}

}  // namespace
