// The stand-in for a room and a player at the microphone, against a stand-in for Tocolo that
// plays a known loop into its sink. What the microphone's sink plays, recorded from its
// monitor, must be the room's copy of the loop (with loudspeakers) and the player's strokes
// exactly where the plan put them, with nothing else but the noise; the times the harness
// gives must be those at which the two sinks played; and the server is left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <tuple>

#include "audio/PulseWaveDevice.h"
#include "listening/TestSounds.h"
#include "support/EngineFixture.h"
#include "support/measure/LoopMatch.h"
#include "support/measure/MicrophoneSink.h"
#include "support/measure/Pactl.h"
#include "support/measure/PulseRecorder.h"
#include "support/measure/RoomHarness.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Mode = RoomHarness::Mode;
using Planned = RoomHarness::PlannedStroke;
using Claves = std::vector<std::pair<std::int64_t, double>>;  // where, and the peak in dBFS

constexpr double kRate = RoomHarness::kRate;
constexpr double kQuiet = -30;  // the player's quietest stroke, dBFS
constexpr double kClipping = 0;
constexpr double kNoise = kQuiet - 20;
// How closely the test's own recordings and the harness agree on when a sample was played.
constexpr double kTimeTolerance = 0.001 * kRate;

std::int64_t Samples(double ms) {
  return std::llround(ms * kRate / 1000);
}

double SecondsBetween(std::optional<Clock::time_point> from, std::optional<Clock::time_point> to) {
  return from && to ? std::chrono::duration<double>(*to - *from).count() : NAN;
}

// Everything the microphone's sink played, and the program's sink, while the stand-in played
// `loops` repetitions of 6/8 claves at 300 (1.2 s each), every second one silent.
class RoomHarnessTest : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kSilentCycle = 2;

  RoomHarness::Setup SetupFor(Mode mode, std::uint32_t loops, std::vector<Planned> plan) const {
    RoomHarness::Setup setup;
    setup.mode = mode;
    setup.loop = loop;
    setup.strokes = strokes;
    setup.loops = loops;
    setup.silentCycle = kSilentCycle;
    setup.plan = std::move(plan);
    setup.noiseDbfs = kNoise;
    return setup;
  }

  void Run(const RoomHarness::Setup& setup) {
    // A default source that the server would not fall back to by itself.
    const MicrophoneSink elsewhere("elsewhere");
    ASSERT_TRUE(elsewhere.Ready());
    const auto sourceBefore = pactl::DefaultSource();
    {
      RoomHarness harness(setup);
      ASSERT_TRUE(harness.WaitUntilRunning(5s));
      programSink.emplace("tocolo.monitor");
      microphone.emplace("room.monitor");
      ASSERT_TRUE(programSink->WaitUntilRecording(5s) && microphone->WaitUntilRecording(5s));
      PulseWaveDevice tocolo(kCdMono);
      ASSERT_TRUE(tocolo.WaitUntilReady(5s)) << tocolo.Failure();
      WaveHeader header;
      header.data = loop.data();
      header.bufferLength = static_cast<std::uint32_t>(loop.size() * 2);
      header.flags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
      header.loops = setup.loops;
      header.silentCycle = kSilentCycle;
      ASSERT_TRUE(tocolo.Write(header));
      const auto deadline = Clock::now() + 10s;
      while (!tocolo.PlayedOut() && Clock::now() < deadline) std::this_thread::sleep_for(10ms);
      std::this_thread::sleep_for(300ms);  // the copy's tail, a delay and a latency behind
      report = harness.TakeReport();
      programSink->Finish();
      microphone->Finish();
    }
    EXPECT_EQ(pactl::DefaultSource(), sourceBefore);
    EXPECT_FALSE(pactl::HasSink("room"));
    ASSERT_TRUE(report.Sound()) << report.underruns << " underruns, " << report.overruns
                                << " overruns, " << report.inputHoles << " holes, "
                                << report.inputMismatches << " input mismatches";
    ASSERT_EQ(report.notPlaced, 0u);
    ASSERT_EQ(report.strokes.size(), setup.plan.size());
    loopInProgramSink = FindLoopStart(programSink->samples(), loop);
    ASSERT_TRUE(loopInProgramSink);
  }

  // Where a planned stroke's first sample lies from the loop's first sample.
  std::int64_t PlannedPosition(const Planned& p) const {
    const std::size_t inLoop = p.stroke ? strokes[*p.stroke] : 0;
    return static_cast<std::int64_t>(p.loop * loop.size() + inLoop) + p.offset;
  }

  // What the microphone should hear from the copy of the loop's first sample on, but the
  // noise: the room's copy of `loops` repetitions, if any, and a clave at each position.
  std::vector<std::int16_t> Expected(const RoomHarness::Setup& setup, const Claves& claves) const {
    std::vector<double> expected(setup.loops * loop.size() + 2 * setup.room.delay, 0.0);
    if (setup.mode == Mode::kLoudspeakers) {
      std::vector<double> played(expected.size(), 0.0);
      for (std::size_t k = 0; k < setup.loops; k += kSilentCycle)
        std::copy(loop.begin(), loop.end(),
                  played.begin() + static_cast<std::ptrdiff_t>(k * loop.size()));
      const double direct = std::pow(10.0, setup.room.gainDb / 20);
      std::vector<sounds::Path> paths = {{0, direct}};
      for (const auto& r : setup.room.reflections)
        paths.push_back({r.after, direct * std::pow(10.0, -r.underDb / 20)});
      expected = sounds::ThroughRoom(played, paths);
    }
    for (const auto& [at, dbfs] : claves) {
      const std::vector<double> clave = sounds::PlayerClave(sounds::Dbfs(dbfs));
      sounds::AddAt(expected, std::array{static_cast<std::size_t>(at)}, clave);
    }
    return sounds::Pcm(expected);
  }

  // Finds in the microphone's recording, near where the harness says it played the copy of
  // the loop's first sample, the one sample from which the recording is most like what is
  // expected, and returns it. From there the recording less what is expected must be the
  // noise alone: overall, in every 50 ms, and under each clave, where a stroke a sample out
  // of place would stand out.
  std::size_t ExpectOnlyNoiseBeyond(const std::vector<std::int16_t>& expected,
                                    const Claves& claves) {
    const auto& heard = microphone->samples();
    auto residual = [&](std::size_t at, std::size_t from, std::size_t frames) {
      double energy = 0;
      for (std::size_t j = from; j < from + frames; ++j)
        energy += std::pow(heard[at + j] - expected[j], 2);
      return energy;
    };
    // Within twice the tolerance of the time, by the first loop.
    const auto near = microphone->Timeline().IndexHeardAt(*report.loopCopyHeardAtMicrophone);
    const auto span = static_cast<std::size_t>(2 * kTimeTolerance);
    const auto first = static_cast<std::size_t>(std::max(0.0, *near - static_cast<double>(span)));
    if (first + 2 * span + expected.size() > heard.size()) {
      ADD_FAILURE() << "the recording ends too soon";
      return 0;
    }
    std::size_t at = first;
    double least = INFINITY;
    for (std::size_t b = first; b <= first + 2 * span; ++b) {
      const double energy = residual(b, 0, loop.size());
      if (energy < least) std::tie(least, at) = std::tuple(energy, b);
    }
    auto rms = [&](std::size_t from, std::size_t frames) {
      return std::sqrt(residual(at, from, frames) / static_cast<double>(frames)) /
             sounds::Dbfs(kNoise);
    };
    EXPECT_GT(rms(0, expected.size()), 0.9);
    EXPECT_LT(rms(0, expected.size()), 1.1);
    for (std::size_t from = 0; from + 2205 <= expected.size(); from += 2205)
      EXPECT_LT(rms(from, 2205), 1.3) << "at " << from;
    for (const auto& [clave, dbfs] : claves)
      EXPECT_LT(rms(static_cast<std::size_t>(clave), 2200), 1.2) << "clave at " << clave;
    return at;
  }

  const std::vector<std::int16_t> loop =
      LoopFor(CRhythmEngine::kPatternSixEight, CRhythmEngine::kToneClaves, 300);
  const std::vector<std::size_t> strokes = [this] {
    std::vector<std::size_t> at;
    for (double fraction : CRhythmEngine::kClaveTable[CRhythmEngine::kPatternSixEight])
      at.push_back(static_cast<std::size_t>(static_cast<double>(loop.size()) * fraction));
    return at;
  }();
  std::optional<PulseRecorder> programSink;
  std::optional<PulseRecorder> microphone;  // made once the harness has loaded its sink
  RoomHarness::Report report;
  std::optional<std::size_t> loopInProgramSink;
};

// Late 25 ms and early 15 ms, quiet and clipping, in sounding and silent loops and the one
// after, and an extra between two strokes.
const std::vector<Planned> kPlan = {
    {0, 1, Samples(25), kQuiet},  {0, 3, -Samples(15), kClipping}, {1, 2, Samples(25), kClipping},
    {1, 4, -Samples(15), kQuiet}, {2, 0, Samples(25), kQuiet},     {2, std::nullopt, 15435, kQuiet},
};

TEST_F(RoomHarnessTest, LoudspeakersBringTheRoomsCopyOfTheLoopAndThePlayerExactlyAsPlanned) {
  const RoomHarness::Setup setup = SetupFor(Mode::kLoudspeakers, 3, kPlan);
  Run(setup);
  if (HasFatalFailure()) return;

  Claves claves;
  for (const RoomHarness::PlacedStroke& placed : report.strokes) {
    EXPECT_EQ(placed.offset, static_cast<double>(placed.planned.offset));
    EXPECT_EQ(static_cast<std::int64_t>(placed.outputIndex - *report.loopCopyStart),
              PlannedPosition(placed.planned));
    claves.emplace_back(PlannedPosition(placed.planned), placed.planned.peakDbfs);
  }
  const std::size_t copy = ExpectOnlyNoiseBeyond(Expected(setup, claves), claves);

  // The copy is heard the delay and the harness's fixed latency after the loop, and the
  // harness says when each stroke was heard.
  EXPECT_LT(report.mostLatency - report.leastLatency, kTimeTolerance);
  const auto loopHeard = programSink->HeardAt(static_cast<double>(*loopInProgramSink));
  const auto copyHeard = microphone->HeardAt(static_cast<double>(copy));
  EXPECT_NEAR(SecondsBetween(loopHeard, copyHeard) * kRate,
              static_cast<double>(report.delay) + report.latency, kTimeTolerance);
  EXPECT_NEAR(SecondsBetween(copyHeard, report.loopCopyHeardAtMicrophone) * kRate, 0,
              kTimeTolerance);
  for (std::size_t i = 0; i < claves.size(); ++i) {
    const auto heard = microphone->HeardAt(static_cast<double>(copy) + claves[i].first);
    EXPECT_NEAR(SecondsBetween(heard, report.strokes[i].heardAt) * kRate, 0, kTimeTolerance);
  }
  std::printf("harness latency %.1f samples (%.2f ms), %.1f to %.1f, beyond a delay of %zu\n",
              report.latency, report.latency / kRate * 1000, report.leastLatency,
              report.mostLatency, report.delay);
}

// With headphones a stroke is placed by the streams' timing, so it is heard within that
// timing's tolerance of the plan; where the harness put each is still checked exactly.
TEST_F(RoomHarnessTest, HeadphonesBringOnlyThePlayerTimedFromTheProgramsSink) {
  std::vector<Planned> plan(kPlan.begin(), kPlan.begin() + 4);
  plan.push_back({1, std::nullopt, 15435, kQuiet});
  const RoomHarness::Setup setup = SetupFor(Mode::kHeadphones, 2, plan);
  Run(setup);
  if (HasFatalFailure()) return;

  Claves claves;
  for (const RoomHarness::PlacedStroke& placed : report.strokes) {
    claves.emplace_back(static_cast<std::int64_t>(placed.outputIndex - *report.loopCopyStart),
                        placed.planned.peakDbfs);
  }
  const std::size_t copy = ExpectOnlyNoiseBeyond(Expected(setup, claves), claves);

  for (std::size_t i = 0; i < claves.size(); ++i) {
    const RoomHarness::PlacedStroke& placed = report.strokes[i];
    const Planned& p = placed.planned;
    const auto stroke = programSink->HeardAt(
        static_cast<double>(*loopInProgramSink + PlannedPosition(p) - p.offset));
    const auto clave = microphone->HeardAt(static_cast<double>(copy) + claves[i].first);
    const double offset = static_cast<double>(p.offset);
    EXPECT_NEAR(SecondsBetween(stroke, clave) * kRate, offset, kTimeTolerance) << "stroke " << i;
    EXPECT_NEAR(placed.offset, offset, kTimeTolerance) << "stroke " << i;
    EXPECT_NEAR(SecondsBetween(clave, placed.heardAt) * kRate, 0, kTimeTolerance);
  }
}

}  // namespace
