// Listening with the whole program, the harness standing in for the room and the player: it
// records the sink Tocolo plays to and plays into a second null sink whose monitor is the
// default input Tocolo listens to. Through loudspeakers it brings Tocolo's own loop back
// through a small room, with a player's clave at planned sample offsets from Tocolo's
// strokes in that delayed copy; with headphones only the player, timed from the strokes'
// arrival at Tocolo's sink. What Tocolo scores, read back from its Copy, is held against
// what the harness placed.
#include <regex>
#include <thread>

#include "desktop/CopiedTake.h"
#include "desktop/DesktopTest.h"
#include "support/measure/RoomHarness.h"
#include "support/measure/X11Clipboard.h"
#include "support/measure/XTestKeyboard.h"

namespace desktop {
namespace {

using Mode = RoomHarness::Mode;
using Planned = RoomHarness::PlannedStroke;

constexpr std::size_t kLoopFrames = 105840;  // the defaults: 2-3 with Claves at 200
const std::vector<std::size_t> kStrokes = {13230, 26460, 52920, 72765, 92610};
constexpr std::uint32_t kTakeLoops = 6;  // stopped as the seventh begins

std::int64_t Samples(double ms) {
  return std::llround(ms * 44.1);
}

// Every second loop silent (1, 3 and 5). Late in one silent loop, early in a sounding one
// (where a stroke right on Tocolo's cannot be told from it, and an untapped one may be
// hidden under it), a spread with one stroke missed in another silent one, an extra.
std::vector<Planned> Take(double peakDbfs) {
  std::vector<Planned> plan;
  auto add = [&](std::uint32_t loop, std::optional<std::size_t> stroke, double ms) {
    plan.push_back({loop, stroke, Samples(ms), peakDbfs});
  };
  for (std::size_t s = 0; s < 5; ++s) add(1, s, 25);
  for (std::size_t s : {0, 1, 3}) add(2, s, -15);
  add(2, 2, 0);
  const double spread[] = {-20, -5, 10, 30};
  for (std::size_t s = 0; s < 4; ++s) add(3, s, spread[s]);
  add(4, 0, -15);
  add(4, std::nullopt, 40000 / 44.1);  // between strokes 2 and 3
  add(4, 2, -15);
  for (std::size_t s = 0; s < 5; ++s) add(5, s, -15);
  return plan;
}

struct Copied {
  std::string text;
  std::vector<double> microphoneOffsets;  // of the microphone's hits, in order
  std::size_t microphoneExtras = 0;
  std::size_t keyTaps = 0;
};

Copied Parse(const std::string& text) {
  Copied copied{text, {}, 0, 0};
  for (const CopiedTap& tap : CopiedTaps(text)) {
    if (tap.source != "microphone") {
      ++copied.keyTaps;
    } else if (tap.verdict == "hit" && tap.offsetMs) {
      copied.microphoneOffsets.push_back(*tap.offsetMs);
    } else {
      ++copied.microphoneExtras;
    }
  }
  return copied;
}

std::optional<std::size_t> Count(const std::string& text, const char* what) {
  std::smatch match;
  const std::regex count(std::string(R"((\d+) )") + what);
  if (!std::regex_search(text, match, count)) return std::nullopt;
  return std::stoul(match[1]);
}

class ListenRoom : public ::testing::Test {
 protected:
  ListenRoom() : session(TOCOLO_PROGRAM), keyboard(session.DisplayName()) {}

  void SetUp() override {
    ASSERT_TRUE(session.Ready()) << session.Failure();
    ASSERT_TRUE(keyboard.Ready());
    Choose("e");  // every second loop silent
  }
  void TearDown() override {
    if (session.ProgramRunning()) {
      EXPECT_EQ(pactl::UnderrunsOf(session.ProgramPid()), std::vector<std::uint64_t>{0});
    }
  }

  void Choose(const std::string& mnemonic) {
    session.Key("alt+space");
    std::this_thread::sleep_for(400ms);
    session.Key(mnemonic);
    std::this_thread::sleep_for(400ms);
  }

  // The harness set up with `plan`, Tocolo listening and playing the take, its Copy read.
  Copied Listen(Mode mode, std::vector<Planned> plan, double noiseDbfs, bool tapOnce = false) {
    RoomHarness::Setup setup;
    setup.mode = mode;
    setup.loop = LoopFor(kDefaults.pattern, kDefaults.tone, kDefaults.tempo);
    setup.strokes = kStrokes;
    setup.loops = CRhythmEngine::kPlayLoops;
    setup.silentCycle = 2;
    setup.plan = std::move(plan);
    setup.noiseDbfs = noiseDbfs;
    harness.emplace(setup);
    EXPECT_TRUE(harness->WaitUntilRunning(10s)) << "the harness did not start";
    Choose("t");
    session.Key("alt+l");
    std::this_thread::sleep_for(1s);
    const auto started = keyboard.Space().taken;
    const auto loop = std::chrono::duration_cast<Clock::duration>(LoopDuration(kDefaults));
    if (tapOnce) {
      std::this_thread::sleep_until(started + loop * 2 + 200ms);
      keyboard.Tap(XTestKeyboard::Key::kJ);
    }
    std::this_thread::sleep_until(started + loop * kTakeLoops + 100ms);
    // Taken while Tocolo still plays: once it stops, its sink is no longer the loop.
    report = harness->TakeReport();
    keyboard.Space();
    std::this_thread::sleep_for(500ms);
    session.Key("alt+o");
    std::optional<std::string> copied;
    for (int tries = 0; !copied && tries < 20; ++tries) {
      std::this_thread::sleep_for(100ms);
      copied = ReadClipboard(session.DisplayName(), 1s);
    }
    EXPECT_TRUE(report.Sound()) << "the harness did not run as planned: loop found "
                                << report.loopStart.has_value() << ", underruns "
                                << report.underruns << ", overruns " << report.overruns
                                << ", input holes " << report.inputHoles << ", input mismatches "
                                << report.inputMismatches;
    EXPECT_EQ(report.notPlaced, 0u);
    return copied ? Parse(*copied) : Copied{};
  }

  // Each of the harness's strokes that Tocolo could tell apart, in order, against its offset.
  void ExpectScored(const Copied& copied, const std::vector<Planned>& told, double toleranceMs) {
    std::vector<double> placed;  // of the strokes told apart, ms
    for (const RoomHarness::PlacedStroke& stroke : report.strokes) {
      const bool isTold = std::any_of(told.begin(), told.end(), [&](const Planned& p) {
        return p.loop == stroke.planned.loop && p.stroke == stroke.planned.stroke &&
               p.offset == stroke.planned.offset;
      });
      if (isTold && stroke.planned.stroke) placed.push_back(stroke.offset / 44.1);
    }
    ASSERT_EQ(copied.microphoneOffsets.size(), placed.size()) << copied.text;
    double worst = 0;
    for (std::size_t i = 0; i < placed.size(); ++i) {
      EXPECT_NEAR(copied.microphoneOffsets[i], placed[i], toleranceMs) << "stroke " << i + 1;
      worst = std::max(worst, std::abs(copied.microphoneOffsets[i] - placed[i]));
    }
    std::printf("%zu strokes heard within %.2f ms of where the harness placed them\n",
                placed.size(), worst);
  }

  // Through loudspeakers Tocolo measures its round trip from its own strokes and scores every
  // stroke it can tell from them to within 1 ms of where the harness put it: in the silent
  // loops all, in the sounding ones those off Tocolo's own. A sounding stroke with none told
  // from Tocolo's is masked, neither hit nor miss.
  void ExpectLoudspeakers(const Copied& copied, const std::vector<Planned>& plan) {
    std::vector<Planned> told;
    for (const Planned& p : plan) {
      const bool sounding = p.loop % 2 == 0;
      if (!sounding || p.offset != 0) told.push_back(p);
    }
    std::smatch match;
    ASSERT_TRUE(std::regex_search(copied.text, match, std::regex(R"(round trip ([\d.]+) ms)")))
        << "no round trip measured:\n"
        << copied.text;
    EXPECT_NEAR(std::stod(match[1]), (report.delay + report.latency) / 44.1, 1.0)
        << "the harness's delay and what the servers add";
    ExpectScored(copied, told, 1.0);
    EXPECT_EQ(copied.microphoneExtras, 1u);
    EXPECT_EQ(Count(copied.text, "miss"), 1u) << copied.text;
    EXPECT_EQ(Count(copied.text, "masked"), 5u) << copied.text;
  }

  DesktopSession session;
  XTestKeyboard keyboard;
  std::optional<RoomHarness> harness;
  RoomHarness::Report report;
};

TEST_F(ListenRoom, ThroughLoudspeakersQuietStrokesOverNoiseAreScoredWithin1Ms) {
  const std::vector<Planned> plan = Take(-30);
  ExpectLoudspeakers(Listen(Mode::kLoudspeakers, plan, -50), plan);
}

TEST_F(ListenRoom, ThroughLoudspeakersClippingStrokesOverNoiseAreScoredWithin1Ms) {
  const std::vector<Planned> plan = Take(0);
  ExpectLoudspeakers(Listen(Mode::kLoudspeakers, plan, -20), plan);
}

// With headphones Tocolo hears only the player: every stroke is scored, sounding loops too,
// within 3 ms of what the harness measured of its own streams.
TEST_F(ListenRoom, WithHeadphonesEveryStrokeIsScoredWithin3Ms) {
  const std::vector<Planned> plan = Take(-30);
  const Copied copied = Listen(Mode::kHeadphones, plan, -50);
  EXPECT_NE(copied.text.find("heard with headphones"), std::string::npos) << copied.text;
  ExpectScored(copied, plan, 3.0);
  EXPECT_EQ(copied.microphoneExtras, 1u);
  EXPECT_EQ(Count(copied.text, "misses"), 5u) << copied.text;
}

TEST_F(ListenRoom, NoiseAloneIsNoStroke) {
  const Copied copied = Listen(Mode::kLoudspeakers, {}, -50, true);
  EXPECT_EQ(copied.keyTaps, 1u) << "copied: " << copied.text;
  EXPECT_TRUE(copied.microphoneOffsets.empty()) << copied.text;
  EXPECT_EQ(copied.microphoneExtras, 0u) << copied.text;
}

}  // namespace
}  // namespace desktop
