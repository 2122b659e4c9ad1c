#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "engine/RhythmEngine.h"
#include "tapalong/Take.h"

namespace {

// "2-3" at tempo 200: strokes 13230, 26460, 52920, 72765, 92610; window 6615 (150 ms).
constexpr std::uint32_t kTwoThreeLoop = 105840;
// "6/8" at 300: strokes 0, 8820, 22050, 30870, 39690, 48510; window 2205 (50 ms).
constexpr std::uint32_t kSixEightLoop = 52920;

StrokePlan TwoThree(std::uint32_t loops, std::uint32_t loopFrames = kTwoThreeLoop) {
  return StrokePlan::FromFractions(CRhythmEngine::kClaveTable[CRhythmEngine::kPatternTwoThree],
                                   loopFrames, loops);
}
StrokePlan SixEight(std::uint32_t loops) {
  return StrokePlan::FromFractions(CRhythmEngine::kClaveTable[CRhythmEngine::kPatternSixEight],
                                   kSixEightLoop, loops);
}

double Stroke(const StrokePlan& plan, std::uint32_t repetition, std::size_t index) {
  return plan.StrokePosition(repetition, index);
}

TEST(StrokePlan, HoldsTheEngineStrokesAndAWindowThatNeverOverlapsOrExceeds150Ms) {
  const StrokePlan twoThree = TwoThree(1);
  EXPECT_EQ(twoThree.Strokes(), (std::vector<double>{13230, 26460, 52920, 72765, 92610}));
  EXPECT_EQ(twoThree.MatchWindow(), 6615);
  // The closest strokes of "6/8" are 8820 apart within the loop, but the last and the first
  // of the next loop are 4410 apart across its boundary.
  const StrokePlan sixEight = SixEight(1);
  EXPECT_EQ(sixEight.Strokes(), (std::vector<double>{0, 8820, 22050, 30870, 39690, 48510}));
  EXPECT_EQ(sixEight.MatchWindow(), 2205);
  EXPECT_EQ(TwoThree(1, 211680).MatchWindow(), 6615);  // tempo 100: half the gap is 300 ms
  EXPECT_EQ(TwoThree(1, 70560).MatchWindow(), 4410);   // tempo 300: 100 ms

  const StrokePlan messy({500, -1, 100, 500, 1000, std::nan("")}, 1000, 1);
  EXPECT_EQ(messy.Strokes(), (std::vector<double>{100, 500}));
  EXPECT_EQ(messy.MatchWindow(), 200);
  Take noLoop(StrokePlan({0, 10}, 0, 5));
  EXPECT_EQ(noLoop.AddTap(0, TapSource::kMouse).verdict, TapVerdict::kExtra);
}

TEST(Take, MatchesWithinTheWindowOnBothSidesAndAcrossTheLoopBoundary) {
  Take take(SixEight(3));
  const auto offset = [&](double position) { return take.AddTap(position, {}).offsetMs; };
  EXPECT_EQ(offset(8820 + 2205), 50.0);
  EXPECT_EQ(offset(22050 - 2205), -50.0);
  EXPECT_EQ(offset(30870 + 2205.5), std::nullopt);
  EXPECT_EQ(offset(39690 - 2205.5), std::nullopt);
  // Before the first sample, on the first stroke; any earlier, no stroke exists.
  EXPECT_EQ(offset(-2205), -50.0);
  EXPECT_EQ(offset(-2205.5), std::nullopt);

  const ScoredTap early = take.AddTap(kSixEightLoop - 441, TapSource::kMicrophone);
  EXPECT_EQ(early.verdict, TapVerdict::kHit);
  EXPECT_EQ(early.stroke, (StrokeRef{1, 0}));
  EXPECT_EQ(early.offsetMs, -10.0);
  EXPECT_EQ(early.source, TapSource::kMicrophone);

  // Halfway between the last stroke and the next loop's first, the earlier stroke takes the
  // tap; the next tap there goes to the later one rather than being an extra.
  const double halfway = Stroke(take.Plan(), 1, 5) + 2205;
  EXPECT_EQ(take.AddTap(halfway, {}).stroke, (StrokeRef{1, 5}));
  EXPECT_EQ(take.AddTap(halfway, {}).stroke, (StrokeRef{2, 0}));
}

TEST(Take, CountsASecondTapOnAStrokeAndAFarTapAsExtras) {
  Take take(TwoThree(2));
  EXPECT_EQ(take.AddTap(13230 + 441, {}).verdict, TapVerdict::kHit);
  const ScoredTap twice = take.AddTap(13230 + 882, TapSource::kMouse);
  EXPECT_EQ(twice.verdict, TapVerdict::kExtra);
  EXPECT_EQ(twice.stroke, (StrokeRef{0, 0}));
  EXPECT_EQ(twice.offsetMs, 20.0);
  const ScoredTap far = take.AddTap(40000, {});
  EXPECT_EQ(far.verdict, TapVerdict::kExtra);
  EXPECT_EQ(far.stroke, std::nullopt);
  EXPECT_EQ(far.offsetMs, std::nullopt);
  EXPECT_EQ(take.AddTap(std::numeric_limits<double>::infinity(), {}).verdict,
            TapVerdict::kRejected);
  EXPECT_EQ(take.AddTap(std::nan(""), {}).verdict, TapVerdict::kRejected);

  const TakeFigures figures = take.Figures();
  EXPECT_EQ(figures.hits, 1u);
  EXPECT_EQ(figures.extras, 2u);
  EXPECT_EQ(figures.all.meanMs, 10.0);
  EXPECT_EQ(take.Taps().size(), 3u);
}

TEST(Take, CountsMissesFromTheFirstTapOnOnceWindowsCloseAndOnlyWhereStrokesExist) {
  const StrokePlan plan = TwoThree(4);
  Take take(plan);
  take.AdvanceTo(Stroke(plan, 1, 0));
  EXPECT_EQ(take.Figures().misses, 0u);

  // Repetition 1's first stroke: every window of repetition 0 had closed at this tap.
  take.AddTap(Stroke(plan, 1, 0), {});
  const double secondCloses = Stroke(plan, 1, 1) + plan.MatchWindow();
  take.AdvanceTo(secondCloses);
  EXPECT_EQ(take.Figures().misses, 0u);
  take.AdvanceTo(secondCloses + 0.5);
  EXPECT_EQ(take.Figures().misses, 1u);

  // Repetition 4 does not play: no stroke there to hit or miss.
  EXPECT_EQ(take.AddTap(Stroke(plan, 4, 0), {}).stroke, std::nullopt);
  take.AdvanceTo(1e300);
  EXPECT_EQ(take.Figures().misses, 4u + 5 + 5);
}

// Repetition r, stroke i tapped (10 * i) ms late in repetitions 0 and 2 (sounding) and as
// early in repetition 1 (silent, one loop in two); repetition 3, silent, left alone.
Take SplitTake() {
  StrokePlan plan = TwoThree(4);
  plan.SetSilentCycle(2);
  Take take(plan);
  for (std::uint32_t r = 0; r < 2; ++r) {
    for (std::size_t i = 0; i < 5; ++i) {
      take.AddTap(Stroke(plan, r, i) + (r == 1 ? -441.0 : 441.0) * i, {});
    }
  }
  take.AddTap(Stroke(plan, 2, 0), {});
  take.AdvanceTo(1e9);
  return take;
}

TEST(Take, SplitsFiguresBetweenSoundingAndSilentLoopsAndByStroke) {
  const Take take = SplitTake();
  EXPECT_TRUE(take.Taps()[5].silentRepetition);
  EXPECT_FALSE(take.Taps()[4].silentRepetition);
  const TakeFigures figures = take.Figures();
  EXPECT_EQ(figures.hits, 11u);
  EXPECT_EQ(figures.misses, 4u + 5);
  EXPECT_NEAR(figures.all.meanMs, 0, 1e-9);
  EXPECT_NEAR(figures.all.spreadMs, std::sqrt(6000.0 / 11), 1e-9);  // population deviation
  EXPECT_NEAR(figures.sounding.meanMs, 100.0 / 6, 1e-9);
  EXPECT_NEAR(figures.silent.meanMs, -20, 1e-9);
  EXPECT_NEAR(figures.silent.spreadMs, std::sqrt(200.0), 1e-9);
  // 30 ms is 1323 samples exactly: |offset| <= 30 holds for it.
  EXPECT_EQ(figures.within, (std::array<double, 3>{5.0 / 11, 9.0 / 11, 1}));
  ASSERT_EQ(figures.strokes.size(), 5u);
  EXPECT_EQ(figures.strokes[0].hits, 3u);
  EXPECT_EQ(figures.strokes[3].hits, 2u);
  EXPECT_NEAR(figures.strokes[3].meanMs, 0, 1e-9);
  EXPECT_NEAR(figures.strokes[3].spreadMs, 30, 1e-9);
}

// The counts come from whole runs of repetitions at a time; here they are checked against
// the strokes one by one, for takes that start and stop all over the loop.
TEST(Take, MasksUntappedStrokesOfSoundingLoopsWhenThePlanSaysSoButScoresSilentLoops) {
  for (const std::uint32_t cycle : {0u, 2u, 3u, 4u}) {
    StrokePlan plan = TwoThree(7);
    plan.SetSilentCycle(cycle);
    plan.SetUntappedSoundingMasked(true);
    for (const double first : {-3000.0, 30000.0, 260000.0}) {
      for (const double reached : {first + 20000, 400000.0, 1e12}) {
        Take take(plan);
        for (int k = 0; k < 8; ++k) take.AddTap(first + 41000.0 * k * k, {});
        take.AdvanceTo(reached);
        std::set<StrokeRef> taken;
        for (const ScoredTap& tap : take.Taps()) {
          if (tap.verdict == TapVerdict::kHit) taken.insert(*tap.stroke);
        }
        std::size_t misses = 0, masked = 0;
        for (std::uint32_t r = 0; r < plan.Loops(); ++r) {
          for (std::size_t i = 0; i < plan.Strokes().size(); ++i) {
            const double close = Stroke(plan, r, i) + plan.MatchWindow();
            if (close < first || close >= reached || taken.contains({r, i})) continue;
            ++(plan.IsSilent(r) ? misses : masked);
          }
        }
        const TakeFigures figures = take.Figures();
        EXPECT_EQ(figures.misses, misses) << cycle << " " << first << " " << reached;
        EXPECT_EQ(figures.masked, masked) << cycle << " " << first << " " << reached;
      }
    }
  }
}

TEST(Take, ScoresATapThatArrivesOutOfOrderInItsPlace) {
  const StrokePlan plan = TwoThree(1);
  Take take(plan);
  take.AddTap(Stroke(plan, 0, 2), {});
  take.AdvanceTo(Stroke(plan, 0, 3));
  EXPECT_EQ(take.Figures().misses, 0u);
  // Stroke 0's tap, made first but delivered late: it becomes the first tap, so stroke 1
  // is now missed, and stroke 0 is hit, not missed.
  EXPECT_EQ(take.AddTap(Stroke(plan, 0, 0) - 441, {}).verdict, TapVerdict::kHit);
  EXPECT_EQ(take.AddTap(Stroke(plan, 0, 0) - 882, {}).verdict, TapVerdict::kExtra);
  const TakeFigures figures = take.Figures();
  EXPECT_EQ(figures.hits, 2u);
  EXPECT_EQ(figures.misses, 1u);
  ASSERT_EQ(take.Taps().size(), 3u);
  EXPECT_EQ(take.Taps()[0].verdict, TapVerdict::kExtra);
  EXPECT_EQ(take.Taps()[2].stroke, (StrokeRef{0, 2}));
}

}  // namespace
