#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <tuple>

#include "engine/MessageBox.h"
#include "engine/RhythmEngine.h"
#include "support/EngineFixture.h"
#include "support/WaveImageBuilder.h"

namespace {

constexpr auto kPatternTwoThree = CRhythmEngine::kPatternTwoThree;
constexpr auto kPatternRumba = CRhythmEngine::kPatternRumba;
constexpr auto kPatternSixEight = CRhythmEngine::kPatternSixEight;
constexpr auto kToneClaves = CRhythmEngine::kToneClaves;
constexpr auto kToneCowbell = CRhythmEngine::kToneCowbell;

struct LoopCase {
  std::uint32_t tempo;
  std::int32_t pattern;
  std::int32_t tone;
  std::uint32_t lengthBytes;
  std::vector<std::size_t> positions;
};

class RenderedLoop : public EngineTest, public ::testing::WithParamInterface<LoopCase> {};

// The loop holds the tone at exactly these sample positions and silence everywhere else.
TEST_P(RenderedLoop, HasStrokesExactlyAtTheGridAndSilenceElsewhere) {
  const LoopCase& c = GetParam();
  engine.SetTone(c.tone);
  engine.SetPattern(c.pattern);
  engine.SetTempo(c.tempo);
  ASSERT_EQ(engine.LoopLength(), c.lengthBytes);
  const std::vector<std::int16_t> expected =
      StrokesAt(c.positions, ToneSamples(c.tone), c.lengthBytes / 2);
  EXPECT_TRUE(PlayedLoop() == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Grid, RenderedLoop,
    ::testing::Values(
        LoopCase{200, kPatternTwoThree, kToneClaves, 211680, {13230, 26460, 52920, 72765, 92610}},
        LoopCase{200, kPatternRumba, kToneClaves, 211680, {0, 19845, 46305, 66150, 79380}},
        LoopCase{
            200, kPatternSixEight, kToneClaves, 158760, {0, 13230, 33075, 46305, 59535, 72765}},
        LoopCase{
            100, kPatternTwoThree, kToneClaves, 423360, {26460, 52920, 105840, 145530, 185220}},
        LoopCase{300, kPatternSixEight, kToneClaves, 105840, {0, 8820, 22050, 30870, 39690, 48510}},
        LoopCase{195, kPatternTwoThree, kToneClaves, 217107, {13569, 27138, 54276, 74630, 94983}},
        // The last stroke runs past the loop's end and is cut there, not wrapped.
        LoopCase{300, kPatternTwoThree, kToneCowbell, 141120, {8820, 17640, 35280, 48510, 61740}},
        // Each stroke cuts off the tail of the one before.
        LoopCase{300, kPatternRumba, kToneCowbell, 141120, {0, 13230, 30870, 44100, 52920}}));

TEST_F(EngineTest, PlaysTheLoopSeamlessly1000TimesThenFallsSilentAndSaysSo) {
  engine.SetTempo(300);
  engine.SetPattern(CRhythmEngine::kPatternSixEight);
  const std::vector<std::int16_t> loop = PlayedLoop();
  ASSERT_EQ(loop.size(), 52920u);
  engine.Play();
  // Pulling in pieces that straddle the loop boundaries shows none is inserted or dropped.
  const std::size_t piece = 7919;
  std::size_t played = 0;
  std::vector<std::int16_t> out(piece);
  bool exact = true;
  while (played < loop.size() * 1000) {
    const std::size_t n = std::min(piece, loop.size() * 1000 - played);
    device.Pull(std::span(out).first(n));
    for (std::size_t i = 0; i < n && exact; ++i) exact = out[i] == loop[(played + i) % loop.size()];
    played += n;
  }
  EXPECT_TRUE(exact);
  EXPECT_FALSE(engine.IsPlaying());
  const std::vector<std::int16_t> after = Pull(loop.size());
  EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](std::int16_t s) { return s == 0; }));
  engine.Play();
  EXPECT_TRUE(engine.IsPlaying());
  EXPECT_EQ(Pull(loop.size()), loop) << "played again from the first sample";
}

// 195 gives a loop of an odd number of bytes: only whole samples play.
TEST_F(EngineTest, StartsStoppedAt195AndItsOddLengthLoopPlaysWholeSamplesOnly) {
  EXPECT_EQ(std::tuple(engine.Tempo(), engine.Pattern(), engine.Tone()), std::tuple(195u, 0, 0));
  EXPECT_FALSE(engine.IsPlaying());
  EXPECT_EQ(device.WriteCount(), 0);
  ASSERT_EQ(engine.LoopLength(), 217107u);
  const std::vector<std::int16_t> loop = PlayedLoop();
  engine.Play();
  const std::vector<std::int16_t> out = Pull(loop.size() + 10);
  EXPECT_TRUE(std::equal(loop.begin(), loop.end(), out.begin()));
  EXPECT_TRUE(std::equal(loop.begin(), loop.begin() + 10, out.begin() + loop.size()));
}

TEST_F(EngineTest, AnySetterWhilePlayingRestartsTheNewLoopFromItsFirstSample) {
  engine.SetPattern(CRhythmEngine::kPatternRumba);
  engine.Play();
  Pull(30000);
  engine.SetPattern(CRhythmEngine::kPatternRumba);  // the same pattern still restarts
  EXPECT_TRUE(engine.IsPlaying());
  const std::vector<std::int16_t> rumba = PlayedLoop();
  EXPECT_EQ(Pull(20000), std::vector<std::int16_t>(rumba.begin(), rumba.begin() + 20000));

  Pull(12345);
  engine.SetTempo(250);
  engine.SetTone(CRhythmEngine::kToneCowbell);
  const std::vector<std::int16_t> loop = PlayedLoop();
  ASSERT_EQ(loop.size(), 84672u);
  EXPECT_EQ(Pull(loop.size()), loop);
}

TEST_F(EngineTest, SetterWhileStoppedRendersWithoutStarting) {
  engine.Play();
  engine.Stop();
  EXPECT_FALSE(engine.IsPlaying());
  EXPECT_EQ(Pull(1000), std::vector<std::int16_t>(1000, 0));  // silent at once
  const int writes = device.WriteCount();
  engine.SetTempo(120);
  engine.SetPattern(CRhythmEngine::kPatternSixEight);
  EXPECT_FALSE(engine.IsPlaying());
  EXPECT_EQ(device.WriteCount(), writes);
  EXPECT_EQ(Pull(1000), std::vector<std::int16_t>(1000, 0));
  EXPECT_EQ(engine.LoopLength(), 264600u);
}

TEST_F(EngineTest, ValuesTheLoopCannotBeRenderedForAreIgnored) {
  engine.SetTempo(200);
  const std::vector<std::int16_t> before = PlayedLoop();
  for (std::uint32_t tempo : {0u, 1u, 44u}) engine.SetTempo(tempo);
  for (std::int32_t index : {-1, 3, INT_MIN, INT_MAX}) {
    engine.SetPattern(index);
    engine.SetTone(index);
  }
  EXPECT_EQ(engine.Tempo(), 200u);
  EXPECT_EQ(engine.Pattern(), 0);
  EXPECT_EQ(engine.Tone(), 0);
  EXPECT_EQ(PlayedLoop(), before);

  // The slowest tempo whose loop still fits the buffer exactly.
  engine.SetTempo(45);
  EXPECT_EQ(engine.LoopLength(), CRhythmEngine::kLoopCapacity * 2);
}

struct BeatCase {
  std::int32_t pattern;
  std::int32_t tone;
  std::uint32_t tempo;
  std::vector<std::size_t> strokes;
  std::vector<std::size_t> beats;
};

class BeatUnderTheClave : public EngineTest, public ::testing::WithParamInterface<BeatCase> {};

// The click goes over the finished loop on every beat; off again, the loop is as before.
TEST_P(BeatUnderTheClave, AddsTheClickOnEachBeatOverTheStrokes) {
  const BeatCase& c = GetParam();
  engine.SetTone(c.tone);
  engine.SetPattern(c.pattern);
  engine.SetTempo(c.tempo);
  const std::vector<std::int16_t> without = PlayedLoop();
  engine.SetBeat(true);
  std::vector<std::int16_t> expected = StrokesAt(c.strokes, ToneSamples(c.tone), without.size());
  EXPECT_EQ(without, expected);
  MixAt(expected, c.beats, ClickSamples());
  EXPECT_TRUE(PlayedLoop() == expected);
  engine.SetBeat(false);
  EXPECT_TRUE(PlayedLoop() == without);
}

// At 195 the loop is 108553 samples, not a whole number of beats: each beat falls on the
// sample before its exact place (54276 for 54276.5), never after it.
INSTANTIATE_TEST_SUITE_P(
    Beats, BeatUnderTheClave,
    ::testing::Values(BeatCase{kPatternTwoThree,
                               kToneClaves,
                               200,
                               {13230, 26460, 52920, 72765, 92610},
                               {0, 13230, 26460, 39690, 52920, 66150, 79380, 92610}},
                      BeatCase{kPatternRumba,
                               CRhythmEngine::kToneHandClap,
                               195,
                               {0, 20353, 47491, 67845, 81414},
                               {0, 13569, 27138, 40707, 54276, 67845, 81414, 94983}},
                      BeatCase{kPatternSixEight,
                               kToneCowbell,
                               300,
                               {0, 8820, 22050, 30870, 39690, 48510},
                               {0, 8820, 17640, 26460, 35280, 44100}}));

// Loud strokes under the click clip at full scale; a sum that wrapped would flip its sign.
// The click is 20 samples long, so the mix takes its vector path for the first 16 and its
// scalar one for the last 4, and both must clamp, at the top and at the bottom.
TEST(EngineBeat, LoudOverlapsSaturateInsteadOfWrapping) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride useDevice(&device);
  auto alternating = [](std::int16_t even, std::int16_t odd, std::size_t n) {
    std::vector<std::int16_t> samples(n);
    for (std::size_t i = 0; i < n; ++i) samples[i] = i % 2 == 0 ? even : odd;
    return samples;
  };
  const auto loud = MakeWaveImage({}, Samples16(std::vector<std::int16_t>(200, 30000)));
  const auto quiet = MakeWaveImage({}, Samples16(std::vector<std::int16_t>(200, -30000)));
  const auto click = MakeWaveImage({}, Samples16(alternating(10000, -10000, 20)));
  res::ScopedResourceOverride claves(IDR_WAVE_CLAVES, res::kTypeWave, loud);
  res::ScopedResourceOverride hand(IDR_WAVE_HANDCLAP, res::kTypeWave, quiet);
  res::ScopedResourceOverride beat(IDR_WAVE_CLICK, res::kTypeWave, click);
  CRhythmEngine engine;
  engine.SetTempo(200);
  engine.SetPattern(kPatternRumba);  // a stroke opens the loop, on the first beat
  engine.SetBeat(true);
  auto first = [&] {
    const auto loop = engine.LoopBuffer();
    return std::vector<std::int16_t>(loop.begin(), loop.begin() + 21);
  };
  std::vector<std::int16_t> expected = alternating(32767, 20000, 20);
  expected.push_back(30000);  // past the click, the stroke alone
  EXPECT_EQ(first(), expected);
  engine.SetTone(CRhythmEngine::kToneHandClap);
  expected = alternating(-20000, -32768, 20);
  expected.push_back(-30000);
  EXPECT_EQ(first(), expected);
}

TEST_F(EngineTest, SilentLoopsAreAllZerosOnTheGridAndAChangeRestartsOnASoundingLoop) {
  engine.SetTempo(300);
  engine.SetPattern(kPatternSixEight);
  const std::vector<std::int16_t> loop = PlayedLoop();
  const std::vector<std::int16_t> gap(loop.size(), 0);
  engine.SetSilentCycle(4);
  EXPECT_EQ(PlayedLoop(), loop) << "silence is the output's: the loop itself is unchanged";
  engine.Play();
  for (int k = 0; k < 8; ++k) EXPECT_EQ(Pull(loop.size()), k % 4 == 3 ? gap : loop) << k;
  Pull(1234);
  engine.SetSilentCycle(2);  // while playing: a restart, sounding first
  EXPECT_TRUE(engine.IsPlaying());
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Pull(loop.size()), k % 2 == 1 ? gap : loop) << k;
  engine.SetSilentCycle(0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Pull(loop.size()), loop) << k;
}

TEST_F(EngineTest, DestructionStopsTheDeviceBeforeTheLoopIsReleased) {
  {
    CRhythmEngine second;
    second.Play();
    Pull(100);
  }
  // The sanitizer builds would report a read of the released loop here.
  EXPECT_EQ(Pull(1000), std::vector<std::int16_t>(1000, 0));
}

TEST(EngineWithoutDevice, WorksSilentlyAndNeverClaimsToPlay) {
  ScopedWaveDeviceOverride noDevice(nullptr);
  CRhythmEngine engine;
  engine.Play();
  EXPECT_FALSE(engine.IsPlaying());
  engine.SetTempo(300);
  EXPECT_EQ(engine.LoopLength(), 141120u);
  engine.Stop();
  EXPECT_FALSE(engine.IsPlaying());
}

std::string g_shown;
void RecordMessage(std::string_view text, std::string_view caption) {
  g_shown += std::string(caption) + ": " + std::string(text) + "\n";
}

TEST(EngineWithBadSounds, StereoToneStopsLoadingWithTheMessageAndStaysSafe) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride useDevice(&device);
  const auto stereo = MakeWaveImage({.channels = 2}, Samples16({1, 2, 3, 4}));
  res::ScopedResourceOverride hand(IDR_WAVE_HANDCLAP, res::kTypeWave, stereo);
  g_shown.clear();
  const MessageBoxHook previous = SetMessageBoxHook(&RecordMessage);
  {
    CRhythmEngine engine;
    EXPECT_EQ(g_shown, "error: only mono data\n");
    EXPECT_TRUE(engine.LoopBuffer().empty());
    engine.SetTempo(200);
    engine.SetPattern(CRhythmEngine::kPatternRumba);
    engine.SetTone(CRhythmEngine::kToneCowbell);
    engine.Play();
    EXPECT_FALSE(engine.IsPlaying());
    engine.Stop();
  }
  SetMessageBoxHook(previous);

  // Without a window the message goes to standard error.
  ::testing::internal::CaptureStderr();
  { CRhythmEngine engine; }
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("only mono data"), std::string::npos);
}

TEST(EngineWithBadSounds, DamagedMonoToneIsSilentAndTheOthersStillPlay) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride useDevice(&device);
  const auto truncated = MakeWaveImage({}, Samples16({1, 2, 3, 4}), 1000);
  res::ScopedResourceOverride hand(IDR_WAVE_HANDCLAP, res::kTypeWave, truncated);
  CRhythmEngine engine;
  engine.SetTone(CRhythmEngine::kToneHandClap);
  const auto played = engine.LoopBuffer().first(engine.LoopLength() / 2);
  EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](std::int16_t s) { return s == 0; }));
  engine.SetTone(CRhythmEngine::kToneCowbell);
  engine.SetTempo(200);
  EXPECT_EQ(std::vector<std::int16_t>(played.begin(), played.begin() + 13230 + 100),
            StrokesAt({13230}, ToneSamples(CRhythmEngine::kToneCowbell), 13230 + 100));
}

}  // namespace
