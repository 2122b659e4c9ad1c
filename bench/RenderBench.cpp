// Render against the bare memory work it consists of, with the beat off and on, and a setter
// on the real device.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "audio/DefaultWaveDevice.h"
#include "bench/RatioReporter.h"
#include "engine/RhythmEngine.h"
#include "support/ManualWaveDevice.h"

namespace {

constexpr std::uint32_t kTempos[] = {100, 200, 300};
constexpr int kToneSamples = 15204;  // Claves

void Render(benchmark::State& state) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride use(&device);
  CRhythmEngine engine;
  engine.SetPattern(static_cast<std::int32_t>(state.range(1)));
  engine.SetTempo(static_cast<std::uint32_t>(state.range(0)));
  engine.SetBeat(state.range(2) != 0);
  for (auto _ : state) {
    engine.Render();
    benchmark::DoNotOptimize(engine.LoopBuffer().data());
    benchmark::ClobberMemory();
  }
}

// The same bytes zero-filled and copied, with nothing else: no click mixed in either.
void MemsetMemcpy(benchmark::State& state) {
  const auto tempo = static_cast<std::uint32_t>(state.range(0));
  const auto pattern = static_cast<std::int32_t>(state.range(1));
  const std::uint32_t length = CRhythmEngine::LoopBytes(pattern, tempo);
  auto loop = std::make_unique<std::int16_t[]>(CRhythmEngine::kLoopCapacity);
  auto tone = std::make_unique<std::int16_t[]>(kToneSamples);
  std::size_t positions[6];
  for (int i = 0; i < 6; ++i) {
    positions[i] = static_cast<std::size_t>((length >> 1) * CRhythmEngine::kClaveTable[pattern][i]);
  }
  for (auto _ : state) {
    std::memset(loop.get(), 0, length);
    for (std::size_t p : positions) std::memcpy(loop.get() + p, tone.get(), kToneSamples * 2);
    benchmark::DoNotOptimize(loop.get());
    benchmark::ClobberMemory();
  }
}

// Stop, render and play again on the desktop's real output, as a slider move does.
void SetterWhilePlaying(benchmark::State& state) {
  CRhythmEngine engine;
  engine.Play();
  if (!engine.IsPlaying()) {
    state.SkipWithError("no audio output");
    return;
  }
  std::uint32_t tempo = 100;
  for (auto _ : state) {
    engine.SetTempo(tempo);
    tempo = tempo == 300 ? 100 : tempo + 2;
  }
  engine.Stop();
}

void RenderArgs(benchmark::internal::Benchmark* b) {
  for (std::uint32_t tempo : kTempos) {
    for (int pattern = 0; pattern < 3; ++pattern) {
      for (int beat = 0; beat < 2; ++beat) b->Args({tempo, pattern, beat});
    }
  }
}

void BaselineArgs(benchmark::internal::Benchmark* b) {
  for (std::uint32_t tempo : kTempos) {
    for (int pattern = 0; pattern < 3; ++pattern) b->Args({tempo, pattern});
  }
}

double Fastest(const std::vector<double>& v) {
  return *std::min_element(v.begin(), v.end());
}

BENCHMARK(Render)->Apply(RenderArgs)->MinWarmUpTime(0.2)->ComputeStatistics("min", Fastest);
BENCHMARK(MemsetMemcpy)->Apply(BaselineArgs)->MinWarmUpTime(0.2)->ComputeStatistics("min", Fastest);
BENCHMARK(SetterWhilePlaying)
    ->Repetitions(9)
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) {
                          return *std::max_element(v.begin(), v.end());
                        })
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  for (std::uint32_t tempo : kTempos) {
    for (int pattern = 0; pattern < 3; ++pattern) {
      char args[32];
      std::snprintf(args, sizeof args, "/%u/%d", tempo, pattern);
      for (const char* beat : {"/0", "/1"}) {
        // For runs repeated and interleaved on a busy machine, the medians and the fastest
        // runs too: the fastest is the one least disturbed by other work.
        for (const char* statistic : {"", "_median", "_min"}) {
          reporter.Compare(std::string("Render") + args + beat + statistic,
                           std::string("MemsetMemcpy") + args + statistic);
        }
      }
    }
  }
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
