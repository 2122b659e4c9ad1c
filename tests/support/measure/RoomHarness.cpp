#include "support/measure/RoomHarness.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "listening/TestSounds.h"

namespace {

using namespace std::chrono_literals;

// The output starts once this much input has come, so its queue holds the delay and this
// much more: what a stall of the process may take before the output runs dry.
constexpr std::size_t kLead = RoomHarness::kRate / 50;  // 20 ms
// The input's pieces, and so its sink's blocks; the output's sink is asked for the same.
constexpr auto kPiece = 2ms;
constexpr std::size_t kPieceFrames = RoomHarness::kRate * kPiece.count() / 1000;
constexpr auto kLatencyEvery = 50ms;

double Gain(double db) {
  return std::pow(10.0, db / 20.0);
}

double FullScale(double dbfs) {
  return 32767.0 * Gain(dbfs);
}

}  // namespace

std::vector<std::pair<std::int64_t, double>> RoomHarness::PathsOf(const Room& room) {
  const double direct = Gain(room.gainDb);
  std::vector<std::pair<std::int64_t, double>> paths = {
      {static_cast<std::int64_t>(room.delay), direct}};
  for (const Reflection& r : room.reflections)
    paths.emplace_back(static_cast<std::int64_t>(room.delay + r.after), direct * Gain(-r.underDb));
  return paths;
}

RoomHarness::RoomHarness(Setup setup)
    : setup_(std::move(setup)),
      clave_(sounds::PlayerClave(1.0)),
      paths_(PathsOf(setup_.room)),
      microphone_(setup_.microphone),
      feed_(setup_.microphone, kRate, kPieceFrames),
      microphoneMonitor_(microphone_.Monitor(), kRate, kPiece),
      tracker_(setup_.loop, setup_.loops, setup_.silentCycle),
      done_(setup_.plan.size(), false),
      noiseRandom_(setup_.noiseSeed),
      noise_(0.0, setup_.noiseDbfs ? FullScale(*setup_.noiseDbfs) : 0.0),
      recorder_(setup_.programSink, kRate, kPiece,
                [this](std::span<const std::int16_t> piece) { OnInput(piece); }) {}

bool RoomHarness::WaitUntilRunning(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (; Clock::now() < deadline; std::this_thread::sleep_for(5ms)) {
    if (!microphone_.Ready()) return false;
    const std::lock_guard lock(mutex_);
    if (started_ && recorder_.Timeline().Reports() >= 3 && feed_.Timeline().Reports() >= 3 &&
        LatencyAt(Clock::now(), static_cast<double>(skipped_)))
      return true;
  }
  return false;
}

void RoomHarness::OnInput(std::span<const std::int16_t> piece) {
  const std::lock_guard lock(mutex_);
  if (!started_ && !CanStart(piece.size())) {
    // Input sample 0 comes once the output can start from it.
    skipped_ += input_.size() + piece.size();
    input_.clear();
    return;
  }
  input_.insert(input_.end(), piece.begin(), piece.end());
  if (!started_ && input_.size() < kLead) return;
  tracker_.Follow(input_);
  WriteUpTo(input_.size() + setup_.room.delay);
  if (!started_) {
    feed_.Start();
    started_ = true;
    startedAt_ = Clock::now();
  }
}

bool RoomHarness::CanStart(std::size_t arriving) const {
  // A null sink that nothing asked for a short latency mixes in blocks of seconds, and takes
  // up a shorter one only after its next block: until the microphone's sink has mixed one,
  // it takes nothing of the output, and until the input comes about as it is played, it may
  // come that far ahead. An output started sooner would overflow, then run dry.
  const std::optional<double> heardNow = recorder_.Timeline().IndexHeardAt(Clock::now());
  const auto received = static_cast<double>(skipped_ + input_.size() + arriving);
  return feed_.Ready() && microphoneMonitor_.LargestPiece() > 0 && heardNow &&
         received - *heardNow < static_cast<double>(kLead);
}

void RoomHarness::WriteUpTo(std::size_t end) {
  const std::size_t begin = written_;
  std::vector<double> mix(end - begin, 0.0);
  if (setup_.mode == Mode::kLoudspeakers) AddRoom(mix, begin);
  PlaceDueStrokes(begin, end);
  AddPlayer(mix, begin);
  if (setup_.noiseDbfs) {
    for (double& x : mix) x += noise_(noiseRandom_);
  }
  const std::vector<std::int16_t> out = sounds::Pcm(mix);
  if (!feed_.Write(out)) ++lostWrites_;
  written_ = end;
}

void RoomHarness::AddRoom(std::span<double> mix, std::size_t begin) const {
  auto input = [this](std::int64_t i) {
    return i >= 0 && i < static_cast<std::int64_t>(input_.size())
               ? input_[static_cast<std::size_t>(i)]
               : std::int16_t{0};
  };
  for (std::size_t k = 0; k < mix.size(); ++k) {
    const auto n = static_cast<std::int64_t>(begin + k);
    for (const auto& [delay, gain] : paths_) mix[k] += gain * input(n - delay);
  }
}

std::optional<std::int64_t> RoomHarness::InputIndexOf(const PlannedStroke& stroke,
                                                      bool withOffset) const {
  if (!tracker_.Start() || (stroke.stroke && *stroke.stroke >= setup_.strokes.size()))
    return std::nullopt;
  const std::size_t inLoop = stroke.stroke ? setup_.strokes[*stroke.stroke] : 0;
  const std::size_t at =
      *tracker_.Start() + std::size_t{stroke.loop} * tracker_.LoopFrames() + inLoop;
  return static_cast<std::int64_t>(at) + (withOffset ? stroke.offset : 0);
}

std::optional<std::int64_t> RoomHarness::OutputIndexFor(const PlannedStroke& stroke,
                                                        std::optional<double> latency) const {
  const std::optional<std::int64_t> input = InputIndexOf(stroke, true);
  if (!input) return std::nullopt;
  if (setup_.mode == Mode::kLoudspeakers)
    return *input + static_cast<std::int64_t>(setup_.room.delay);
  // Heard when the program's stroke is heard at its sink, plus the offset: as far before the
  // input sample as the output heard at any moment is behind the input heard then.
  if (!latency) return std::nullopt;
  return *input - static_cast<std::int64_t>(std::lround(*latency));
}

void RoomHarness::PlaceDueStrokes(std::size_t begin, std::size_t end) {
  if (!tracker_.Start()) return;
  const std::optional<double> latency = setup_.mode == Mode::kHeadphones
                                            ? LatencyAt(Clock::now(), static_cast<double>(skipped_))
                                            : std::nullopt;
  for (std::size_t i = 0; i < setup_.plan.size(); ++i) {
    if (done_[i]) continue;
    const PlannedStroke& planned = setup_.plan[i];
    if (planned.stroke && *planned.stroke >= setup_.strokes.size()) {
      done_[i] = true;  // aimed at a stroke the loop does not have
      continue;
    }
    const std::optional<std::int64_t> at = OutputIndexFor(planned, latency);
    if (!at || *at >= static_cast<std::int64_t>(end)) continue;
    done_[i] = true;
    // Too late once its first sample is written.
    if (*at >= static_cast<std::int64_t>(begin))
      placed_.push_back({planned, static_cast<std::size_t>(*at), 0, std::nullopt});
  }
}

void RoomHarness::AddPlayer(std::span<double> mix, std::size_t begin) const {
  const std::size_t end = begin + mix.size();
  for (const PlacedStroke& stroke : placed_) {
    const std::size_t first = stroke.outputIndex;
    if (first + clave_.size() <= begin || first >= end) continue;
    const double peak = FullScale(stroke.planned.peakDbfs);
    for (std::size_t n = std::max(first, begin); n < std::min(end, first + clave_.size()); ++n)
      mix[n - begin] += peak * clave_[n - first];
  }
}

std::optional<double> RoomHarness::LatencyAt(Clock::time_point t, double skipped) const {
  const std::optional<double> input = recorder_.Timeline().IndexHeardAt(t);
  const std::optional<double> output = feed_.Timeline().IndexHeardAt(t);
  if (!input || !output) return std::nullopt;
  return *input - skipped - *output;
}

RoomHarness::Report RoomHarness::TakeReport() const {
  // What the input's thread changes is copied first: the rest takes long enough, over a long
  // run, to hold that thread up until the output runs dry.
  std::unique_lock lock(mutex_);
  Report report;
  report.loopStart = tracker_.Start();
  report.inputMismatches = tracker_.Mismatches();
  report.overruns = lostWrites_;
  std::vector<PlacedStroke> placed = placed_;
  std::vector<std::int64_t> references;
  for (const PlacedStroke& stroke : placed)
    references.push_back(*InputIndexOf(stroke.planned, false));
  const bool started = started_;
  const Clock::time_point startedAt = startedAt_;
  const auto skipped = static_cast<double>(skipped_);
  lock.unlock();

  report.delay = setup_.room.delay;
  if (report.loopStart) {
    report.loopCopyStart = *report.loopStart + setup_.room.delay;
    report.loopHeardAtProgramSink =
        recorder_.HeardAt(static_cast<double>(*report.loopStart) + skipped);
    report.loopCopyHeardAtMicrophone =
        feed_.Timeline().HeardAt(static_cast<double>(*report.loopCopyStart));
  }
  std::vector<double> latencies;
  for (auto t = startedAt + kLatencyEvery; started && t < Clock::now(); t += kLatencyEvery) {
    if (const std::optional<double> latency = LatencyAt(t, skipped)) latencies.push_back(*latency);
  }
  if (!latencies.empty()) {
    std::sort(latencies.begin(), latencies.end());
    report.latency = latencies[latencies.size() / 2];
    report.leastLatency = latencies.front();
    report.mostLatency = latencies.back();
  }
  for (std::size_t i = 0; i < placed.size(); ++i) {
    PlacedStroke& stroke = placed[i];
    stroke.heardAt = feed_.Timeline().HeardAt(static_cast<double>(stroke.outputIndex));
    const auto reference = static_cast<double>(references[i]);
    if (setup_.mode == Mode::kLoudspeakers) {
      stroke.offset = static_cast<double>(stroke.outputIndex) - reference -
                      static_cast<double>(setup_.room.delay);
    } else if (const auto arrival = recorder_.HeardAt(reference + skipped);
               arrival && stroke.heardAt) {
      stroke.offset = std::chrono::duration<double>(*stroke.heardAt - *arrival).count() * kRate;
    }
  }
  report.notPlaced = setup_.plan.size() - placed.size();
  report.strokes = std::move(placed);
  report.underruns = feed_.Underruns();
  report.overruns += feed_.Overruns();
  report.inputHoles = recorder_.Holes();
  return report;
}
