// How soon the program is heard after Space starts it and silent after Space stops it, as a
// user meets it: tocolo on an X server of its own (Xvfb), Space injected through XTEST by
// this process, the sound recorded with parec from the PulseAudio null sink "tocolo".
// "3-2 (rumba)" is selected, so the loop's first sample opens a stroke, and Cowbell, whose
// strokes ring into one another, so that a stop always cuts sound. Starts and stops
// alternate, kPresses of each, with pauses that differ so that each press meets the sink at
// another point of its period.
//
// Printed, median and range:
//   start   from the key press to the arrival of the recorded piece that holds the loop's
//           first sample, found by matching the cowbell's attack;
//   stop    from the key press to the arrival of the piece in which the sound has ended
//           (the first silent sample after the last sound);
//   whole   how many samples of the first stroke's head are missing (0: it starts whole);
//   offset  of the first stroke against the grid of the strokes that follow it, in samples:
//           0 when the loop starts from its first sample on its own grid.
// The press is timed just before the fake key goes to the X server; the server has taken it
// when XSync returns (printed: "x"). The null sink mixes in blocks as long as the recorder's
// piece (the shortest latency any of its streams asks for), and a block arrives as soon as it
// is mixed: a start is heard with the block after the one the sink is mixing when the stream
// is uncorked, so the start includes one piece; the stop is an upper bound by up to one.
//
// Usage: tocolo_latency <tocolo> [piece ms]     with Xvfb and parec installed, e.g.
//   tests/pulse/pulse-server.sh start /tmp/p
//   PULSE_SERVER=unix:/tmp/p/native build/release/bench/tocolo_latency build/release/app/tocolo
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/EngineFixture.h"
#include "support/measure/DesktopSession.h"
#include "support/measure/OnsetFinder.h"
#include "support/measure/ParecRecorder.h"
#include "support/measure/StrokeGrid.h"
#include "support/measure/XTestKeyboard.h"

namespace {

using namespace std::chrono_literals;
using Clock = DesktopSession::Clock;

constexpr int kPresses = 21;
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

// How many samples of the tone's head are missing from the stroke found at `onset`: where
// the recorded sound begins, the tone is looked for sample for sample (the null sink records
// bit-exact), from its own first sound on. -1 if it is not there.
double MissingHead(std::span<const std::int16_t> recording, std::size_t onset,
                   std::span<const std::int16_t> tone) {
  constexpr std::size_t kSpan = 64;
  auto firstSound = [](std::span<const std::int16_t> s, std::size_t from) {
    while (from < s.size() && s[from] == 0) ++from;
    return from;
  };
  const std::size_t begins = firstSound(recording, onset > 512 ? onset - 512 : 0);
  const std::size_t toneBegins = firstSound(tone, 0);
  if (begins + kSpan > recording.size()) return -1;
  const auto heard = recording.subspan(begins, kSpan);
  for (std::size_t cut = toneBegins; cut < toneBegins + 1024 && cut + kSpan <= tone.size(); ++cut) {
    if (std::equal(heard.begin(), heard.end(), tone.begin() + static_cast<std::ptrdiff_t>(cut)))
      return static_cast<double>(cut - toneBegins);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int pieceMs = argc == 3 ? std::atoi(argv[2]) : 5;
  if ((argc != 2 && argc != 3) || pieceMs < 1 || pieceMs > 100) {
    std::fprintf(stderr, "usage: %s <tocolo> [recorder piece in ms, 1 to 100; default 5]\n",
                 argv[0]);
    return 2;
  }
  DesktopSession session(argv[1]);
  if (!session.Ready()) {
    std::fprintf(stderr, "%s\n", session.Failure().c_str());
    return 1;
  }
  XTestKeyboard keyboard(session.DisplayName());
  ParecRecorder recorder("tocolo.monitor", 44100, std::chrono::milliseconds(pieceMs));
  if (!keyboard.Ready() || !recorder.Started() || !recorder.WaitForSamples(4410, 5s)) {
    std::fprintf(stderr, "no X connection, or nothing recorded from tocolo.monitor\n");
    return 1;
  }
  session.Click(20, 45);  // 3-2 (rumba)
  session.Click(89, 63);  // Cowbell
  std::this_thread::sleep_for(300ms);

  std::vector<XTestKeyboard::Press> starts;
  std::vector<XTestKeyboard::Press> stops;
  for (int i = 0; i < kPresses; ++i) {
    starts.push_back(keyboard.Space());
    std::this_thread::sleep_for(1000ms + 13ms * i);
    stops.push_back(keyboard.Space());
    std::this_thread::sleep_for(500ms + 7ms * i);
  }
  recorder.Finish();

  const std::vector<std::int16_t>& rec = recorder.samples();
  const std::vector<std::int16_t> tone = ToneSamples(CRhythmEngine::kToneCowbell);
  const OnsetFinder finder(tone);
  const StrokeGrid grid = StrokeGrid::Of(CRhythmEngine::kPatternRumba, kTempo);
  std::vector<double> startMs, stopMs, missing, offsets, syncMs;
  for (int i = 0; i < kPresses; ++i) {
    const std::size_t from = recorder.FirstSampleArrivingAfter(starts[i].sent);
    const std::size_t stopped = recorder.FirstSampleArrivingAfter(stops[i].sent);
    const std::size_t next =
        i + 1 < kPresses ? recorder.FirstSampleArrivingAfter(starts[i + 1].sent) : rec.size();
    syncMs.push_back(1000 * starts[i].in.count());
    syncMs.push_back(1000 * stops[i].in.count());
    std::printf("press %2d:", i + 1);

    const std::vector<std::size_t> onsets =
        finder.Find(std::span(rec).subspan(from, stopped - from));
    if (onsets.size() >= 2 && onsets.size() <= grid.beats.size()) {
      const std::size_t first = from + onsets[0];
      startMs.push_back(Milliseconds(recorder.ArrivalOf(first) - starts[i].sent));
      missing.push_back(MissingHead(rec, first, tone));
      // Where the strokes after the first put the loop's start: their median.
      std::vector<double> anchors;
      for (std::size_t j = 1; j < onsets.size(); ++j)
        anchors.push_back(static_cast<double>(onsets[j]) - grid.beats[j] * grid.samplesPerBeat);
      std::sort(anchors.begin(), anchors.end());
      offsets.push_back(static_cast<double>(onsets[0]) - anchors[anchors.size() / 2]);
      std::printf(" start %5.1f ms, head %3.0f missing, offset %4.1f,", startMs.back(),
                  missing.back(), offsets.back());
    } else {
      std::printf(" start not found (%zu strokes),", onsets.size());
    }

    if (stopped > 0 && rec[stopped - 1] != 0) {
      std::size_t lastSound = next;
      while (lastSound > stopped && rec[lastSound - 1] == 0) --lastSound;
      stopMs.push_back(Milliseconds(recorder.ArrivalOf(lastSound) - stops[i].sent));
      std::printf(" stop %5.1f ms\n", stopMs.back());
    } else {
      std::printf(" silent before the stop\n");
    }
  }

  PrintSummary("start", startMs, "ms");
  PrintSummary("stop", stopMs, "ms");
  PrintSummary("whole", missing, "samples");
  PrintSummary("offset", offsets, "samples");
  PrintSummary("x", syncMs, "ms");
  const std::size_t pieces = recorder.Pieces();
  std::printf("parec pieces: %.1f ms each on average\n",
              pieces == 0 ? 0.0 : 1000.0 * static_cast<double>(rec.size()) / 44100.0 / pieces);
  return 0;
}
