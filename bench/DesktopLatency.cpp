// How soon the program is heard after Space starts it and silent after Space stops it, as a
// user meets it: tocolo on an X server of its own (Xvfb), Space typed with xdotool, the
// sound recorded with parec from the PulseAudio null sink "tocolo". "3-2 (rumba)" is
// selected, so the loop's first sample opens a stroke, and Cowbell, whose strokes ring into
// one another, so that a stop always cuts sound. Seven starts and stops, pauses between.
//
// Printed, median and range:
//   start   from xdotool's launch to the arrival of the recorded piece holding the loop's
//           first sample, found by matching the cowbell's attack;
//   stop    from xdotool's launch to the arrival of the piece holding the last sound;
//   offset  of the first stroke against the grid of the strokes that follow it, in samples:
//           0 when the loop starts whole from its first sample.
// Both times are upper bounds: the key reaches the X server within the time xdotool runs
// (printed; a few ms go on starting it), and a piece arrives up to one parec fragment after
// the sink played it (printed; parec is asked for 5 ms).
//
// Usage: tocolo_latency <tocolo>     with Xvfb, xdotool and parec installed, e.g.
//   tests/pulse/pulse-server.sh start /tmp/p
//   PULSE_SERVER=unix:/tmp/p/native build/release/bench/tocolo_latency build/release/app/tocolo
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/EngineFixture.h"
#include "tools/measure/DesktopSession.h"
#include "tools/measure/OnsetFinder.h"
#include "tools/measure/ParecRecorder.h"
#include "tools/measure/RecordingTime.h"
#include "tools/measure/StrokeGrid.h"

namespace {

using namespace std::chrono_literals;
using Clock = DesktopSession::Clock;

constexpr int kRuns = 7;
constexpr int kRumba = 1;
constexpr int kCowbell = 2;
constexpr unsigned kTempo = 200;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void PrintSummary(const char* what, std::vector<double> values, const char* unit) {
  if (values.empty()) {
    std::printf("%-8s no measurement\n", what);
    return;
  }
  std::sort(values.begin(), values.end());
  std::printf("%-8s median %7.1f %s   range %7.1f .. %7.1f   (%zu)\n", what,
              values[values.size() / 2], unit, values.front(), values.back(), values.size());
}

struct Press {
  Clock::time_point sent;
  double xdotoolMs;
};

Press Space(DesktopSession& session) {
  const Clock::time_point sent = session.Key("space");
  return {sent, Milliseconds(Clock::now() - sent)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <tocolo>\n", argv[0]);
    return 2;
  }
  // The recording hears only the PulseAudio server, whatever else SDL might pick first.
  setenv("SDL_AUDIODRIVER", "pulseaudio", 0);
  DesktopSession session(argv[1]);
  if (!session.Ready()) {
    std::fprintf(stderr, "%s\n", session.Failure().c_str());
    return 1;
  }
  ParecRecorder recorder("tocolo.monitor");
  if (!recorder.Started() || !recorder.WaitForSamples(4410, 5s)) {
    std::fprintf(stderr, "nothing recorded from tocolo.monitor\n");
    return 1;
  }
  session.Click(20, 45);  // 3-2 (rumba)
  session.Click(89, 63);  // Cowbell
  std::this_thread::sleep_for(300ms);

  std::vector<Press> starts;
  std::vector<Press> stops;
  for (int i = 0; i < kRuns; ++i) {
    // Pauses that differ by a few ms, so each press meets a device period at another point.
    starts.push_back(Space(session));
    std::this_thread::sleep_for(1200ms + 13ms * i);
    stops.push_back(Space(session));
    std::this_thread::sleep_for(600ms + 7ms * i);
  }
  recorder.Finish();

  const std::vector<std::int16_t>& rec = recorder.samples();
  const OnsetFinder finder(ToneSamples(kCowbell));
  const StrokeGrid grid = StrokeGrid::Of(kRumba, kTempo);
  std::vector<double> startMs, stopMs, offsets, xdotoolMs;
  for (int i = 0; i < kRuns; ++i) {
    const std::size_t from = FirstSampleArrivingAfter(recorder, starts[i].sent);
    const std::size_t stopped = FirstSampleArrivingAfter(recorder, stops[i].sent);
    const std::size_t next =
        i + 1 < kRuns ? FirstSampleArrivingAfter(recorder, starts[i + 1].sent) : rec.size();
    xdotoolMs.push_back(starts[i].xdotoolMs);
    xdotoolMs.push_back(stops[i].xdotoolMs);
    std::printf("run %d:", i + 1);

    const std::vector<std::size_t> onsets =
        finder.Find(std::span(rec).subspan(from, stopped - from));
    if (onsets.size() >= 2 && onsets.size() <= grid.beats.size()) {
      startMs.push_back(Milliseconds(recorder.ArrivalOf(from + onsets[0]) - starts[i].sent));
      // Where the strokes after the first put the loop's start: their median.
      std::vector<double> anchors;
      for (std::size_t j = 1; j < onsets.size(); ++j)
        anchors.push_back(static_cast<double>(onsets[j]) - grid.beats[j] * grid.samplesPerBeat);
      std::sort(anchors.begin(), anchors.end());
      offsets.push_back(static_cast<double>(onsets[0]) - anchors[anchors.size() / 2]);
      std::printf(" start %5.1f ms, offset %4.1f,", startMs.back(), offsets.back());
    } else {
      std::printf(" start not found (%zu strokes),", onsets.size());
    }

    if (stopped > 0 && rec[stopped - 1] != 0) {
      std::size_t lastSound = next;
      while (lastSound > stopped && rec[lastSound - 1] == 0) --lastSound;
      stopMs.push_back(Milliseconds(recorder.ArrivalOf(lastSound - 1) - stops[i].sent));
      std::printf(" stop %5.1f ms\n", stopMs.back());
    } else {
      std::printf(" silent before the stop\n");
    }
  }

  PrintSummary("start", startMs, "ms");
  PrintSummary("stop", stopMs, "ms");
  PrintSummary("offset", offsets, "samples");
  PrintSummary("xdotool", xdotoolMs, "ms");
  const std::size_t pieces = PiecesArrived(recorder);
  std::printf("parec pieces: %.1f ms each on average\n",
              pieces == 0 ? 0.0 : 1000.0 * static_cast<double>(rec.size()) / 44100.0 / pieces);
  return 0;
}
