// Tapping along with the whole program on Xvfb and the suite's PulseAudio: taps go in through
// XTEST at planned offsets from the strokes, and the offsets the window reports (read back
// from what its Copy puts on the clipboard) are held against the truth this test measures
// for itself, on the servers' clocks: each tap's time once the X server has taken it (the
// time it stamps on the key, heard through its RECORD extension), against
// when the stroke it aims at was heard at the sink, from a recording of the sink's monitor in
// pieces of 2 ms, each placed by the recording stream's own timing.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>
#include <thread>

#include "desktop/CopiedTake.h"
#include "desktop/DesktopTest.h"
#include "support/measure/PulseRecorder.h"
#include "support/measure/X11Clipboard.h"
#include "support/measure/XTestKeyboard.h"

namespace desktop {
namespace {

constexpr std::size_t kLoopFrames = 105840;  // the defaults: 2-3 with Claves at 200
const std::vector<std::size_t> kStrokes = {13230, 26460, 52920, 72765, 92610};

// A tap the test makes: at `offsetMs` from stroke `stroke` of loop `loop`.
struct PlannedTap {
  std::size_t loop;
  std::size_t stroke;
  double offsetMs;
  bool hit = true;  // false: an extra (a second tap on the stroke, or none near)
};

// Every second loop silent (1 and 3): late by 25 ms for two loops, early by 15 ms for two,
// a second tap on a stroke and one far from any, and two strokes of the last loop left out.
const std::vector<PlannedTap> kTake = {
    {1, 0, 25},  {1, 1, 25},  {1, 2, 25},  {1, 3, 25},         {1, 4, 25},
    {2, 0, 25},  {2, 1, 25},  {2, 2, 25},  {2, 2, 95, false},  {2, 3, 25},
    {2, 4, 25},  {3, 0, -15}, {3, 1, -15}, {3, 2, -15},        {3, 3, -15},
    {3, 4, -15}, {4, 0, -15}, {4, 1, -15}, {4, 1, 300, false}, {4, 3, -15},
};
constexpr std::size_t kHits = 18, kExtras = 2, kMisses = 2;

std::optional<std::size_t> MissesIn(const std::string& copied) {
  std::smatch match;
  if (!std::regex_search(copied, match, std::regex(R"((\d+) miss(es)?\b)"))) return std::nullopt;
  return std::stoul(match[1]);
}

class TapAlong : public ::testing::Test {
 protected:
  TapAlong()
      : session(TOCOLO_PROGRAM), recorder("tocolo.monitor"), keyboard(session.DisplayName()) {}

  void SetUp() override {
    ASSERT_TRUE(session.Ready()) << session.Failure();
    ASSERT_TRUE(keyboard.Ready());
    ASSERT_TRUE(recorder.WaitUntilRecording(5s)) << "no recording of the sink's monitor";
    ASSERT_TRUE(recorder.WaitForSamples(4410, 5s));
    Choose("e");  // every second loop silent
  }

  void TearDown() override {
    staller.reset();
    if (session.ProgramRunning()) {
      EXPECT_EQ(pactl::UnderrunsOf(session.ProgramPid()), std::vector<std::uint64_t>{0})
          << "the program's stream ran dry";
    }
  }

  // Alt+Space opens the window menu; the key is the item's mnemonic.
  void Choose(const std::string& mnemonic) {
    session.Key("alt+space");
    std::this_thread::sleep_for(400ms);
    session.Key(mnemonic);
    std::this_thread::sleep_for(400ms);
  }

  // Sets the adjustment in the window, then opens it afresh so that the pad has the keys.
  void SetAdjustment(int ms) {
    Choose("t");
    session.Key("alt+d ctrl+a");
    std::string digits;  // typed one key each
    for (char c : std::to_string(ms)) digits += std::string(1, c) + " ";
    session.Key(digits);
    session.Key("Tab");
    session.Key("Escape");
    std::this_thread::sleep_for(300ms);
  }

  // Opens the window, starts the loop, makes the taps of kTake at their times, stops, copies
  // the take and checks what the window reports against what was measured.
  void TapTheTake(double adjustmentMs) {
    Choose("t");
    keyboard.Space();
    // Where the loop began, from its first stroke as the sink's monitor heard it.
    std::optional<std::size_t> firstStroke;
    const OnsetFinder claves(ToneSamples(CRhythmEngine::kToneClaves));
    for (int tries = 0; !firstStroke && tries < 200; ++tries) {
      std::this_thread::sleep_for(10ms);
      const std::vector<std::size_t> onsets = claves.Find(recorder.SamplesSoFar());
      if (!onsets.empty()) firstStroke = onsets.front();
    }
    ASSERT_TRUE(firstStroke) << "the loop was not heard";
    const double loopStart = static_cast<double>(*firstStroke - kStrokes[0]);
    std::vector<XTestKeyboard::Press> presses;
    for (const PlannedTap& tap : kTake) {
      const double stroke =
          loopStart + static_cast<double>(tap.loop * kLoopFrames + kStrokes[tap.stroke]);
      const auto when =
          *recorder.HeardAt(stroke) + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double, std::milli>(tap.offsetMs));
      std::this_thread::sleep_until(when - 2ms);
      while (Clock::now() < when) {
      }
      presses.push_back(keyboard.Tap(XTestKeyboard::Key::kJ));
    }
    // Stopped before the first stroke of loop 5 comes near: the take ends there.
    std::this_thread::sleep_until(*recorder.HeardAt(loopStart + 5 * kLoopFrames) + 50ms);
    keyboard.Space();
    std::this_thread::sleep_for(300ms);
    session.Key("alt+o");
    std::optional<std::string> copied;
    for (int tries = 0; !copied && tries < 20; ++tries) {
      std::this_thread::sleep_for(100ms);  // until the program has taken the clipboard
      copied = ReadClipboard(session.DisplayName(), 1s);
    }
    recorder.Finish();
    ASSERT_TRUE(copied) << "nothing was copied";

    // The truth: the stroke's place in the recording, exact to the sample from the loop's
    // first sample (silent loops are silence of the loop's length), heard when the recording
    // stream says; the tap, when the X server had it.
    const std::optional<std::size_t> start = FindLoopStart(
        recorder.samples(), LoopFor(kDefaults.pattern, kDefaults.tone, kDefaults.tempo));
    ASSERT_TRUE(start);
    const std::vector<CopiedTap> reported = CopiedTaps(*copied);
    ASSERT_EQ(reported.size(), kTake.size()) << *copied;
    double reportedSum = 0, trueSum = 0, worst = 0;
    for (std::size_t i = 0; i < kTake.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "tap " << i + 1);
      const PlannedTap& tap = kTake[i];
      EXPECT_EQ(reported[i].verdict, tap.hit ? "hit" : "extra");
      if (!tap.hit) continue;
      const double stroke =
          static_cast<double>(*start + tap.loop * kLoopFrames + kStrokes[tap.stroke]);
      const double truth =
          Milliseconds(presses[i].taken - *recorder.HeardAt(stroke)) - adjustmentMs;
      ASSERT_TRUE(reported[i].offsetMs);
      EXPECT_NEAR(*reported[i].offsetMs, truth, 3.0);
      reportedSum += *reported[i].offsetMs;
      trueSum += truth;
      worst = std::max(worst, std::abs(*reported[i].offsetMs - truth));
    }
    EXPECT_NEAR(reportedSum / kHits, trueSum / kHits, 2.0) << "the mean is off";
    EXPECT_EQ(std::count_if(reported.begin(), reported.end(),
                            [](const CopiedTap& t) { return t.verdict == "extra"; }),
              static_cast<std::ptrdiff_t>(kExtras));
    EXPECT_EQ(MissesIn(*copied), kMisses) << *copied;
    double slowest = 0;  // from sending a press to the server's stamp on it
    for (const auto& press : presses)
      slowest = std::max(slowest, Milliseconds(press.taken - press.sent));
    std::printf(
        "taps within %.2f ms of the truth, mean %+.2f ms off; the recording's largest piece %zu "
        "samples; the X server stamped each press within %.2f ms of its sending\n",
        worst, (reportedSum - trueSum) / kHits, recorder.LargestPiece(), slowest);
  }

  DesktopSession session;
  PulseRecorder recorder;
  XTestKeyboard keyboard;
  std::optional<ProcessStaller> staller;
};

TEST_F(TapAlong, EachTapIsReportedWithin3MsOfTheTruthAndTheCountsAreExact) {
  TapTheTake(0);
}

TEST_F(TapAlong, TheAdjustmentMovesEveryOffsetByItself) {
  SetAdjustment(20);
  TapTheTake(20);
}

TEST_F(TapAlong, TapsKeepTheirTimesWhileTheProgramIsStalled) {
  staller.emplace(session.ProgramPid(), 30ms, 200ms);
  TapTheTake(0);
}

}  // namespace
}  // namespace desktop
