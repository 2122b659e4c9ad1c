// The figures of a take, recomputed as the tap-along window does on every tap, against one
// bare pass over the same taps.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/RatioReporter.h"
#include "tapalong/FiguresText.h"
#include "tapalong/Take.h"

namespace {

constexpr int kTapCounts[] = {1000, 4000};

// "2-3" at tempo 200, 1000 loops, one silent in four; every stroke tapped up to 40 ms off,
// and every seventh tap doubled into an extra, until `taps` taps are in.
Take LongTake(int taps) {
  StrokePlan plan({13230, 26460, 52920, 72765, 92610}, 105840, 1000);
  plan.SetSilentCycle(4);
  Take take(plan);
  for (int n = 0; n < taps; ++n) {
    const std::uint32_t repetition = static_cast<std::uint32_t>(n / 5);
    const double stroke = plan.StrokePosition(repetition, static_cast<std::size_t>(n % 5));
    const double offset = ((n * 7919) % 3529) - 1764.0;
    take.AddTap(stroke + offset, TapSource::kKeyboard);
    if (n % 7 == 0 && ++n < taps) take.AddTap(stroke + offset + 300, TapSource::kKeyboard);
    take.AdvanceTo(stroke + offset);
  }
  return take;
}

void Figures(benchmark::State& state) {
  const Take take = LongTake(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(take.Figures());
}

void FiguresAndSummaryText(benchmark::State& state) {
  const Take take = LongTake(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(SummaryText(take.Figures()));
}

// The least any figure of every tap costs: one pass adding up the offsets.
void SumOfOffsets(benchmark::State& state) {
  const Take take = LongTake(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    double sum = 0;
    for (const ScoredTap& tap : take.Taps()) sum += tap.offsetMs.value_or(0);
    benchmark::DoNotOptimize(sum);
  }
}

BENCHMARK(Figures)->Arg(kTapCounts[0])->Arg(kTapCounts[1])->Unit(benchmark::kMicrosecond);
BENCHMARK(FiguresAndSummaryText)
    ->Arg(kTapCounts[0])
    ->Arg(kTapCounts[1])
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(SumOfOffsets)->Arg(kTapCounts[0])->Arg(kTapCounts[1])->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  for (const int taps : kTapCounts) {
    // With --benchmark_repetitions, the medians as well.
    for (const char* statistic : {"", "_median"}) {
      const std::string args = '/' + std::to_string(taps) + statistic;
      reporter.Compare("Figures" + args, "SumOfOffsets" + args);
      reporter.Compare("FiguresAndSummaryText" + args, "SumOfOffsets" + args);
    }
  }
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
