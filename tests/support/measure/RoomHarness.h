#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "support/measure/LoopTracker.h"
#include "support/measure/MicrophoneSink.h"
#include "support/measure/PulseFeed.h"
#include "support/measure/PulseRecorder.h"

// Stands in for a room and a player on the suite's sound server, for a program that listens
// to its microphone while it plays. It loads a null sink whose monitor becomes the default
// source (the microphone), records what the program plays from its sink's monitor, and plays
// into the microphone's sink a mix of:
//   - with loudspeakers, the program's own sound through a small room: delayed, quieter, with
//     a few reflections; with headphones, none of it;
//   - the player's clave strokes (not one of the program's tones) where a plan puts them,
//     each so many samples from one of the program's strokes, or away from any (an extra);
//   - seeded white noise, if asked for.
// Output sample n is the room applied to input sample n - delay, plus the player and the
// noise at n: both sinks run on the server's one clock, so the mix is sample-exact against
// the program's strokes as they appear in the delayed copy. The program's loop is found in
// the input by its first sound, and from there every later stroke is known, through silent
// repetitions too, so the player's strokes are placed ahead of time. With headphones there
// is no copy to count from: a stroke is timed from the program's stroke reaching its sink, by
// the latency the two streams' timing reports give as it is placed, so it is as exact as that
// timing (well within a millisecond), and the report says what it came to.
class RoomHarness {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr unsigned kRate = 44100;

  enum class Mode { kLoudspeakers, kHeadphones };

  struct Reflection {
    std::size_t after;  // samples after the direct sound
    double underDb;     // under the direct sound
  };
  struct Room {
    std::size_t delay = 1632;  // samples from the program's output to the direct sound: 37 ms
    double gainDb = -10;
    std::vector<Reflection> reflections = {{309, 10}, {573, 13}, {1014, 16}};  // 7, 13, 23 ms
  };

  struct PlannedStroke {
    // The program's repetition, silent ones counted, from the first the harness hears: the
    // program is to start once the harness runs.
    std::uint32_t loop = 0;
    std::optional<std::size_t> stroke;  // which of its strokes; none for an extra
    // Samples from that stroke (late is positive), or for an extra from the repetition's
    // first sample: in the delayed copy with loudspeakers, as they arrive at the program's
    // sink with headphones.
    std::int64_t offset = 0;
    double peakDbfs = -12;  // 0 and above clip
  };

  struct Setup {
    Mode mode = Mode::kLoudspeakers;
    std::vector<std::int16_t> loop;    // one repetition of what the program plays
    std::vector<std::size_t> strokes;  // where in it each stroke starts
    std::uint32_t loops = 1;           // repetitions it plays
    std::uint32_t silentCycle = 0;     // as the program's output takes it
    Room room;
    std::vector<PlannedStroke> plan;
    std::optional<double> noiseDbfs;  // the noise's RMS
    std::uint32_t noiseSeed = 1;
    std::string microphone = "room";             // the sink loaded
    std::string programSink = "tocolo.monitor";  // what the program plays, as recorded
  };

  struct PlacedStroke {
    PlannedStroke planned;
    std::size_t outputIndex = 0;  // of its first sample, in the harness's output
    // Samples from the program's stroke (or repetition, for an extra): with loudspeakers
    // counted in the output, exact; with headphones from the stroke's arrival at the
    // program's sink to this stroke's at the microphone's, by the two streams' timing.
    double offset = 0;
    std::optional<Clock::time_point> heardAt;  // as the microphone's sink plays its first sample
  };

  struct Report {
    std::size_t delay = 0;
    // Where the program's loop was found in the input, and the copy of its first sample in
    // the output (found + delay); when each was played by its sink.
    std::optional<std::size_t> loopStart;
    std::optional<std::size_t> loopCopyStart;
    std::optional<Clock::time_point> loopHeardAtProgramSink;
    std::optional<Clock::time_point> loopCopyHeardAtMicrophone;
    // What the servers add from input to output beyond the delay, in samples, measured every
    // 50 ms by both streams' timing since the output started: its middle and its range.
    double latency = 0;
    double leastLatency = 0;
    double mostLatency = 0;
    std::vector<PlacedStroke> strokes;  // in the order they are played
    std::size_t notPlaced = 0;    // planned strokes never played: invalid, or their time had gone
    std::uint64_t underruns = 0;  // of the output stream
    std::uint64_t overruns = 0;   // of the output stream, or writes it did not take
    std::size_t inputHoles = 0;   // pieces of the input the server lost
    // Input samples unlike the program's loop once it was found: a piece of the input lost
    // or doubled, or the program's output broken.
    std::size_t inputMismatches = 0;

    // The harness itself ran as planned: found the loop, kept both streams whole.
    bool Sound() const {
      return loopStart && underruns == 0 && overruns == 0 && inputHoles == 0 &&
             inputMismatches == 0;
    }
  };

  explicit RoomHarness(Setup setup);
  RoomHarness(const RoomHarness&) = delete;
  RoomHarness& operator=(const RoomHarness&) = delete;

  // True once the microphone's sink plays the output and the latency is known.
  bool WaitUntilRunning(std::chrono::milliseconds timeout);
  Report TakeReport() const;

 private:
  void OnInput(std::span<const std::int16_t> piece);
  // Both sinks mix in short blocks, and the output is ready.
  bool CanStart(std::size_t arriving) const;
  void WriteUpTo(std::size_t end);
  void AddRoom(std::span<double> mix, std::size_t begin) const;
  void PlaceDueStrokes(std::size_t begin, std::size_t end);
  void AddPlayer(std::span<double> mix, std::size_t begin) const;
  // With headphones the latency now is needed to place a stroke.
  std::optional<std::int64_t> OutputIndexFor(const PlannedStroke& stroke,
                                             std::optional<double> latency) const;
  std::optional<std::int64_t> InputIndexOf(const PlannedStroke& stroke, bool withOffset) const;
  // The input heard at `t` less the output heard then, in samples: the servers' part of the
  // latency. `skipped` is skipped_, as read under the lock.
  std::optional<double> LatencyAt(Clock::time_point t, double skipped) const;

  const Setup setup_;
  const std::vector<double> clave_;  // at a peak of 1
  // Each path through the room: the samples it takes, and its gain.
  static std::vector<std::pair<std::int64_t, double>> PathsOf(const Room& room);
  const std::vector<std::pair<std::int64_t, double>> paths_;
  MicrophoneSink microphone_;
  PulseFeed feed_;
  // Recorded only to keep the microphone's sink mixing in short blocks, whoever else records it.
  PulseRecorder microphoneMonitor_;

  // Written on the recorder's thread, read by the owner's.
  mutable std::mutex mutex_;
  std::size_t skipped_ = 0;  // recorded before the output could start
  std::vector<std::int16_t> input_;
  LoopTracker tracker_;
  std::size_t written_ = 0;
  bool started_ = false;
  Clock::time_point startedAt_;
  std::vector<bool> done_;  // of each planned stroke: placed, or given up
  std::vector<PlacedStroke> placed_;
  std::size_t lostWrites_ = 0;
  std::mt19937 noiseRandom_;
  std::normal_distribution<double> noise_;

  // Last, so that it stops calling OnInput before anything it uses goes.
  PulseRecorder recorder_;
};
