// The whole program on PipeWire, as current desktops run it: its stream goes through
// pipewire-pulse into a private graph whose default output is a mono null sink. At the
// graph's 48 kHz the stream passes a resampler, so strokes are checked against the grid.
//
// The graph runs in quanta as short as its most demanding client asks for. The program asks
// for 50 ms, so the graph runs at its longest quantum, 2048 frames, and a stall of the
// server's own threads of up to 40 ms is ridden out; the recorder asks for as much. A
// recorder asking for 5 ms makes the graph run in quanta of 128 frames (2.9 ms), and this
// machine then stalls the graph past a deadline every few seconds: it plays a quantum of
// silence into every stream, two recorders side by side hear the same gaps, and the
// program's stream, full all along, reports none.
#include <thread>

#include "desktop/DesktopTest.h"
#include "support/measure/Resample.h"

namespace desktop {
namespace {

// At the graph's usual 48 kHz.
class PipeWireAt48k : protected PipeWireServer, public DesktopTest {
 protected:
  PipeWireAt48k() : PipeWireServer(48000), DesktopTest(48000, 50ms) {}

  void SetUp() override {
    ASSERT_TRUE(started_) << "PipeWire did not start";
    DesktopTest::SetUp();
  }

  // Plays the defaults for `loops` loops, the program stalled now and then; returns where in
  // the recording Space was pressed.
  std::size_t PlayDefaults(std::size_t loops) {
    StallTheProgram();
    const auto pressed = session.Key("space");
    std::this_thread::sleep_for(LoopDuration(kDefaults) * (loops + 0.5) + 300ms);
    session.Key("space");
    std::this_thread::sleep_for(200ms);
    recorder.Finish();
    return IndexAt(pressed);
  }
};

TEST_F(PipeWireAt48k, TenLoopsAtTheDefaultsStayOnTheGridThroughTheResampler) {
  constexpr std::size_t kLoops = 10;
  const std::size_t pressed = PlayDefaults(kLoops);
  const Sound tone = Resampled(ToneSamples(CRhythmEngine::kToneClaves), 44100, 48000);
  const Sound& rec = recorder.samples();
  const auto played = std::span(rec).subspan(std::min(pressed, rec.size()));
  ExpectOnGrid(OnsetFinder(tone).Find(played), kDefaults, kLoops, 48000, 1);
}

}  // namespace
}  // namespace desktop
