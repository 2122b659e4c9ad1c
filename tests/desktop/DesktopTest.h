// The built program on its own X server, driven with xdotool as a user would drive it, its
// sound recorded from a sound server's null sink. Strokes are checked twice over: against
// the ideal beat grid, which owes nothing to the program's arithmetic, and, where nothing
// resamples them, sample for sample against the loop the engine renders for the setting.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "support/EngineFixture.h"
#include "support/measure/DesktopSession.h"
#include "support/measure/LoopMatch.h"
#include "support/measure/OnsetFinder.h"
#include "support/measure/Pactl.h"
#include "support/measure/ParecRecorder.h"
#include "support/measure/ProcessStaller.h"
#include "support/measure/StrokeGrid.h"

namespace desktop {

using namespace std::chrono_literals;
using Sound = std::vector<std::int16_t>;
using Clock = DesktopSession::Clock;

// Points inside the radio buttons' indicators, in dialog units.
struct Point {
  int x;
  int y;
};
inline constexpr Point kRumbaButton{20, 45};
inline constexpr Point kSixEightButton{20, 63};
inline constexpr Point kCowbellButton{89, 63};

struct Setting {
  int pattern;
  int tone;
  unsigned tempo;
};
inline constexpr Setting kDefaults{CRhythmEngine::kPatternTwoThree, CRhythmEngine::kToneClaves,
                                   200};

std::string Describe(const Setting& s);
std::chrono::duration<double> LoopDuration(const Setting& setting);
double Milliseconds(Clock::duration d);

// Checks onsets, counted from a loop's first sample, against the ideal grid of `loops`
// loops at `rate` samples a second, measured from the first stroke: each within `tolerance`
// samples, the error not growing.
void ExpectOnGrid(const std::vector<std::size_t>& onsets, const Setting& setting, std::size_t loops,
                  unsigned rate = 44100, double tolerance = 2);

// A private PipeWire for as long as this lives; programs started meanwhile use it.
class PipeWireServer {
 protected:
  explicit PipeWireServer(unsigned rate);
  ~PipeWireServer();

  bool started_ = false;

 private:
  std::string previousServer_;
};

class DesktopTest : public ::testing::Test {
 protected:
  explicit DesktopTest(unsigned rate = 44100, std::chrono::milliseconds recorderLatency = 5ms,
                       const char* program = TOCOLO_PROGRAM)
      : session(program), recorder("tocolo.monitor", rate, recorderLatency) {}

  void SetUp() override;
  // The program's stream must not have run dry more often than underrunsExpected says.
  void TearDown() override;
  std::uint64_t Underruns() { return pactl::UnderrunsOf(session.ProgramPid()).at(0); }

  // Stalls of 30 ms, five a second: worse than any this machine was seen to make.
  void StallTheProgram();
  std::size_t IndexAt(Clock::time_point t) const { return recorder.FirstSampleArrivingAfter(t); }

  // Checks that from `from` on the recording holds the loop for `setting` from its first
  // sample: `loops` whole loops of it, sample for sample and on the ideal grid. Returns where
  // it started.
  std::optional<std::size_t> ExpectLoopPlays(const Sound& recording, const Setting& setting,
                                             std::size_t from, std::size_t loops);
  std::optional<std::size_t> ExpectLoopPlays(const Setting& setting, std::size_t from,
                                             std::size_t loops) {
    return ExpectLoopPlays(recorder.samples(), setting, from, loops);
  }

  DesktopSession session;
  ParecRecorder recorder;
  std::optional<ProcessStaller> staller;
  std::uint64_t underrunsExpected = 0;
};

}  // namespace desktop
