// The onset detector and the echo finder against a plain copy of the same samples, each
// measured on a second of sound in the blocks a recording thread would hand over.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "engine/RhythmEngine.h"
#include "listening/TestSounds.h"
#include "support/EngineFixture.h"
#include "tapalong/EchoFinder.h"
#include "tapalong/OnsetDetector.h"

namespace {

constexpr std::size_t kSecond = 44100;
constexpr std::size_t kBlock = 441;  // 10 ms

// Ten seconds of claves every 0.25 s over room noise 20 dB under them.
const std::vector<std::int16_t>& Recording() {
  static const std::vector<std::int16_t> recording = [] {
    std::vector<double> mix = sounds::Noise(10 * kSecond, sounds::Dbfs(-32), 1, false);
    std::vector<std::size_t> strokes;
    for (std::size_t p = 1000; p < mix.size(); p += kSecond / 4) strokes.push_back(p);
    sounds::AddAt(mix, strokes, sounds::PlayerClave(sounds::Dbfs(-12)));
    return sounds::Pcm(mix);
  }();
  return recording;
}

// One second of the recording per iteration, on from where the last one stopped.
void DetectOnsets(benchmark::State& state) {
  const std::vector<std::int16_t>& recording = Recording();
  OnsetDetector detector;
  Onset onsets[16];
  std::size_t at = 0;
  for (auto _ : state) {
    for (std::size_t end = at + kSecond; at < end; at += kBlock) {
      detector.Process(std::span(recording).subspan(at % recording.size(), kBlock));
      benchmark::DoNotOptimize(detector.TakeOnsets(onsets));
    }
  }
}

void CopySamples(benchmark::State& state) {
  const std::vector<std::int16_t>& recording = Recording();
  std::vector<std::int16_t> copy(kBlock);
  std::size_t at = 0;
  for (auto _ : state) {
    for (std::size_t end = at + kSecond; at < end; at += kBlock) {
      std::memcpy(copy.data(), recording.data() + at % recording.size(), kBlock * 2);
      benchmark::DoNotOptimize(copy.data());
      benchmark::ClobberMemory();
    }
  }
}

// Two loops of claves at the default tempo, 4.9 s, found 10 ms late in a room.
void FindEcho(benchmark::State& state) {
  std::vector<std::int16_t> loop = LoopFor(
      CRhythmEngine::kPatternTwoThree, CRhythmEngine::kToneClaves, CRhythmEngine::kDefaultTempo);
  loop.insert(loop.end(), loop.begin(), loop.end());
  const std::vector<double> played(loop.begin(), loop.end());
  const sounds::Path room[] = {{441, 0.32}, {631, 0.14}};
  const std::vector<std::int16_t> recording = sounds::Pcm(sounds::ThroughRoom(played, room));
  EchoFinder finder(loop.size());
  for (auto _ : state) benchmark::DoNotOptimize(finder.Find(loop, recording));
  state.counters["seconds"] = static_cast<double>(loop.size()) / kSecond;
}

void CopyEchoSamples(benchmark::State& state) {
  const std::size_t length =
      2 * CRhythmEngine::LoopBytes(CRhythmEngine::kPatternTwoThree, CRhythmEngine::kDefaultTempo) /
      2;
  const std::vector<std::int16_t> from(length);
  std::vector<std::int16_t> to(length);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), length * 2);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(DetectOnsets)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopySamples)->Unit(benchmark::kMicrosecond);
BENCHMARK(FindEcho)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyEchoSamples)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  // With --benchmark_repetitions, the medians too.
  for (const char* statistic : {"", "_median"}) {
    reporter.Compare(std::string("DetectOnsets/") + statistic,
                     std::string("CopySamples/") + statistic);
    reporter.Compare(std::string("FindEcho/") + statistic,
                     std::string("CopyEchoSamples/") + statistic);
  }
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
