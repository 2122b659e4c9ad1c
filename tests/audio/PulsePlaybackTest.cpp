// Plays through SDL2 into a real PulseAudio server's null sink and records its monitor.
// The server is started by the test suite; PULSE_SERVER points at it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/RhythmEngine.h"
#include "tools/measure/ParecRecorder.h"

namespace {

using namespace std::chrono_literals;

std::size_t FirstSound(const std::vector<std::int16_t>& s, std::size_t from = 0) {
  return static_cast<std::size_t>(std::find_if(s.begin() + static_cast<std::ptrdiff_t>(from),
                                               s.end(), [](std::int16_t x) { return x != 0; }) -
                                  s.begin());
}

TEST(PulsePlayback, LoopIsRecordedSampleForSampleAndStopSilencesAtOnce) {
  CRhythmEngine engine;
  // Cowbell in the rumba pattern sounds without a gap, so the last sound marks the stop.
  engine.SetTempo(300);
  engine.SetPattern(1);
  engine.SetTone(2);
  const auto loopSpan = engine.LoopBuffer().first(engine.LoopLength() / 2);
  const std::vector<std::int16_t> loop(loopSpan.begin(), loopSpan.end());

  ParecRecorder recorder("tocolo.monitor");
  ASSERT_TRUE(recorder.Started()) << "parec did not start";
  ASSERT_TRUE(recorder.WaitForSamples(4410, 5s)) << "the sink's monitor records nothing";

  const auto played = ParecRecorder::Clock::now();
  engine.Play();
  ASSERT_TRUE(engine.IsPlaying()) << "no audio output reached";
  std::this_thread::sleep_for(5.5s);  // over three loops of 1.6 s
  const auto stopped = ParecRecorder::Clock::now();
  engine.Stop();
  std::this_thread::sleep_for(300ms);
  recorder.Finish();
  const std::vector<std::int16_t>& rec = recorder.samples();

  const std::size_t loopOnset = FirstSound(loop);
  const std::size_t onset = FirstSound(rec);
  ASSERT_LT(onset, rec.size()) << "nothing was heard";
  ASSERT_GE(onset, loopOnset);
  const std::size_t start = onset - loopOnset;  // where the loop's first sample landed
  const std::size_t compared = 3 * loop.size() + loop.size() / 4;
  ASSERT_GE(rec.size(), start + compared);
  std::size_t mismatches = 0;
  std::size_t firstMismatch = 0;
  for (std::size_t k = loopOnset; k < compared; ++k) {
    if (rec[start + k] != loop[k % loop.size()] && mismatches++ == 0) firstMismatch = k;
  }
  EXPECT_EQ(mismatches, 0u) << "first at loop sample " << firstMismatch;

  std::size_t lastSound = rec.size();
  while (lastSound > 0 && rec[lastSound - 1] == 0) --lastSound;
  const auto heardFor = std::chrono::duration<double>(lastSound - start) / 44100.0;
  const auto silentAfter = recorder.ArrivalOf(lastSound - 1) - stopped;
  const double ms = std::chrono::duration<double, std::milli>(silentAfter).count();
  RecordProperty("silent_after_stop_ms", std::to_string(ms));
  const double startMs =
      std::chrono::duration<double, std::milli>(recorder.ArrivalOf(onset) - played).count();
  std::printf(
      "played %.3f s, heard %.3f s; first sound arrived %.1f ms after Play, "
      "last %.1f ms after Stop\n",
      std::chrono::duration<double>(stopped - played).count(), heardFor.count(), startMs, ms);
  EXPECT_LE(ms, 50.0);
}

}  // namespace
