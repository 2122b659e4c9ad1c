#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "audio/CaptureClock.h"
#include "audio/LoopClock.h"
#include "tapalong/EchoFinder.h"
#include "tapalong/OnsetDetector.h"
#include "tapalong/SampleRing.h"

// What Tocolo plays, for the listener to tell its own sound from the player's.
struct ListeningTimeline {
  std::optional<LoopClock> output;    // when each frame of the loop is heard
  std::optional<CaptureClock> input;  // when each recorded sample was captured
  // One repetition as it sounds (the beat's clicks in it), repetitions in all, silent cycle.
  std::shared_ptr<const std::vector<std::int16_t>> loop;
  std::uint32_t loops = 0;
  std::uint32_t silentCycle = 0;
  // Where in the loop Tocolo's own sounds begin: its strokes, and the beat's clicks.
  std::shared_ptr<const std::vector<double>> ownOnsets;
};

// A stroke of the player's that the microphone heard.
struct HeardStroke {
  // On the loop's timeline, as a tap's: the frame of the output heard when the player struck
  // (through loudspeakers, the room's delay taken off; with headphones, the capture time).
  double frame = 0;
  std::uint64_t start = 0;  // the output's start whose timeline `frame` is on
  LoopClock::Clock::time_point captured;
  float peak = 0;
};

// How the microphone hears Tocolo: through loudspeakers its output comes back, with
// headphones it does not.
enum class Hearing { kUnknown, kLoudspeakers, kHeadphones };

// Listens to the microphone while the loop plays: finds strokes in what it records and tells
// Tocolo's own from the player's. Its work runs on a thread of its own, off the recording's
// and the window's; it allocates nothing as the sound comes.
//
// Whether what Tocolo plays comes back, and how late, is found by correlating the recording
// with what was played at the same time (EchoFinder), every half second while the loop
// sounds: a player who is merely late is a different sound, and correlates with nothing. Once
// found, the round trip is followed only within a few milliseconds of itself, so that a span
// in which something else correlates as well (a player loud and steadily early) cannot move
// it; a room changed beyond that is measured afresh by a new listener. Then
// a stroke heard within kOwnMs of where one of Tocolo's own sounds comes back is Tocolo's,
// or so close to it that the two cannot be told apart; any other stroke is the player's. With
// headphones every stroke heard is the player's.
class StrokeListener {
 public:
  static constexpr double kOwnMs = 5;
  // How much later than the servers say Tocolo's sound may come back and be found: a room,
  // and latencies no server knows of (a USB headset's).
  static constexpr std::int32_t kLongestRoundTrip = 11025;  // 250 ms

  StrokeListener();
  ~StrokeListener();
  StrokeListener(const StrokeListener&) = delete;
  StrokeListener& operator=(const StrokeListener&) = delete;

  // The recording's thread: samples from number `first` of the recording on. False if the
  // worker is so far behind that they were dropped (they will be heard as silence).
  bool Feed(std::span<const std::int16_t> samples, std::uint64_t first);
  // The window's thread, as often as what plays may have changed.
  void SetTimeline(ListeningTimeline timeline);

  // The player's strokes heard since last asked, oldest first; returns how many.
  std::size_t TakeStrokes(std::span<HeardStroke> out);
  Hearing HowHeard() const { return hearing_.load(); }
  // Through loudspeakers: how much later than the servers' latencies say Tocolo's sound comes
  // back, the room and what the servers do not report.
  std::optional<double> RoundTripMs() const;
  // The loudest sample since last asked, 1 for full scale.
  float TakePeak();

 private:
  void Work();
  void Hear(std::span<const std::int16_t> block);
  void Hold(const Onset& onset);
  void FindEcho();
  // Where the player's stroke at `sample` of the recording falls on the loop's timeline;
  // nullopt if it is Tocolo's own, or cannot be placed yet.
  std::optional<double> PlayerFrame(std::int64_t sample, const ListeningTimeline& timeline) const;
  bool IsOwn(double frame, const ListeningTimeline& timeline) const;
  // What Tocolo played where the recording's samples from `first` were captured.
  void PlayedAt(std::int64_t first, std::span<std::int16_t> out,
                const ListeningTimeline& timeline) const;

  static constexpr std::size_t kHistory = 1 << 16;  // recorded samples kept: 1.5 s
  static constexpr std::size_t kEchoSpan = 44100;   // compared at a time: 1 s

  SampleRing ring_{256};  // six seconds in pieces of 10 ms
  std::mutex wake_;
  std::condition_variable fed_;
  bool stopping_ = false;

  mutable std::mutex timelineMutex_;
  ListeningTimeline timeline_;

  // The worker's own.
  OnsetDetector detector_;
  EchoFinder echo_{kEchoSpan, kLongestRoundTrip};
  std::unique_ptr<std::int16_t[]> history_;
  std::unique_ptr<std::int16_t[]> played_;
  std::int64_t heard_ = 0;  // samples recorded so far
  std::int64_t nextEchoAt_ = kEchoSpan;
  std::array<Onset, 32> held_{};  // found before it was known how Tocolo is heard
  std::size_t heldCount_ = 0;
  // A round trip found that differs from the one in use, and how many looks in a row found it.
  std::int32_t newDelay_ = 0;
  int newDelayRun_ = 0;
  int verdictRun_ = 0;  // the last echo verdicts in a row: > 0 heard, < 0 not heard

  mutable std::mutex strokesMutex_;
  std::array<HeardStroke, 64> strokes_{};
  std::size_t strokeCount_ = 0;

  std::atomic<Hearing> hearing_ = Hearing::kUnknown;
  std::atomic<std::int32_t> delay_ = 0;
  std::atomic<float> peak_ = 0;
  std::thread worker_;
};
