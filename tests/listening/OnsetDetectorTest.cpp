#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "listening/TestSounds.h"
#include "tapalong/OnsetDetector.h"

namespace {

using namespace sounds;

std::atomic<std::size_t> gAllocations{0};

constexpr std::int64_t kTolerance = 44;  // 1 ms

// What `detector` finds in `recording` fed in blocks; feeding and taking allocate nothing.
std::vector<Onset> Detect(OnsetDetector& detector, std::span<const std::int16_t> recording,
                          std::size_t block) {
  std::vector<Onset> onsets(1024);
  const std::size_t before = gAllocations;
  for (std::size_t at = 0; at < recording.size(); at += block)
    detector.Process(recording.subspan(at, std::min(block, recording.size() - at)));
  const std::size_t first = detector.TakeOnsets(std::span(onsets).first(1));
  onsets.resize(first + detector.TakeOnsets(std::span(onsets).subspan(first)));
  EXPECT_EQ(gAllocations, before) << "allocated while feeding or taking";
  return onsets;
}
std::vector<Onset> Detect(std::span<const std::int16_t> recording, std::size_t block = 441) {
  OnsetDetector detector(1024);
  return Detect(detector, recording, block);
}

// Strokes 0.15 to 0.95 s apart, off any round number of samples, with or without flams (two
// strokes 30 ms apart) among them.
std::vector<std::size_t> StrokeTimes(std::size_t frames, bool flams = false) {
  constexpr double kGaps[] = {0.31, 0.03, 0.52, 0.74, 0.18, 0.95, 0.03, 0.43, 0.15, 0.61};
  std::vector<std::size_t> at;
  for (std::size_t p = 13337, k = 0; p + 44100 < frames; ++k) {
    if (kGaps[k % 10] < 0.1 && !flams) continue;
    at.push_back(p);
    p += static_cast<std::size_t>(kGaps[k % 10] * kRate) + k;
  }
  return at;
}

// A room's reflections, 5 to 20 ms after the stroke and 10 dB under it.
const Path kRoom[] = {{0, 1.0}, {221, 0.32}, {529, 0.32}, {882, 0.32}};

// A cowbell rings on at -8 dB 30 ms after its stroke, and a second one then is not heard
// reliably: it takes 50 ms.
struct Sound {
  const char* name;
  std::vector<double> (*stroke)(double peak);
  bool flams;
};
constexpr Sound kSounds[] = {
    {"clave", PlayerClave, true}, {"clap", Clap, true}, {"cowbell", Cowbell, false}};

// Each onset within a millisecond of its stroke, one for one; returns the worst error.
std::int64_t ExpectOnStrokes(const std::vector<Onset>& onsets, std::span<const std::size_t> truth,
                             const std::string& name) {
  EXPECT_EQ(onsets.size(), truth.size()) << name;
  std::int64_t worst = 0;
  for (std::size_t i = 0; i < std::min(onsets.size(), truth.size()); ++i) {
    const std::int64_t error = std::abs(onsets[i].sample - static_cast<std::int64_t>(truth[i]));
    EXPECT_LE(error, kTolerance) << name << ", stroke " << i;
    worst = std::max(worst, error);
  }
  return worst;
}

// Every stroke found once, flams as two, on its first sample to within a millisecond, with
// its peak level, from -30 dBFS to clipping over white or pink room noise 20 dB under the
// stroke. The cowbell rings 0.7 s, past many strokes after it: its ringing is no stroke. The
// sound cut into blocks of a sample, of 2 to 20 ms, or fed whole, gives the same onsets.
TEST(OnsetDetector, FindsEveryStrokeOnItsFirstSampleAtAnyLevelOverRoomNoise) {
  constexpr std::size_t kFrames = 8 * 44100;
  constexpr std::size_t kBlocks[] = {1, 88, 127, 441, 882, kFrames};
  std::size_t take = 0;
  for (const Sound& sound : kSounds) {
    const std::vector<std::size_t> truth = StrokeTimes(kFrames, sound.flams);
    for (const double db : {-30.0, -12.0, 6.0}) {
      for (const bool pink : {false, true}) {
        std::vector<double> mix = Noise(kFrames, Dbfs(std::min(db, 0.0) - 20), 11, pink);
        AddAt(mix, truth, sound.stroke(Dbfs(db)));
        const std::vector<std::int16_t> recording = Pcm(mix);
        const std::vector<Onset> onsets = Detect(recording);
        EXPECT_EQ(Detect(recording, kBlocks[take++ % 6]), onsets);
        const std::string name = std::string(sound.name) + " " + std::to_string(int(db)) +
                                 " dBFS, " + (pink ? "pink" : "white");
        std::printf("%-26s worst error %lld samples\n", name.c_str(),
                    static_cast<long long>(ExpectOnStrokes(onsets, truth, name)));
        // Within 3.5 dB: the room's rumble and an earlier stroke's ringing add to it.
        for (const Onset& onset : onsets)
          EXPECT_NEAR(20 * std::log10(onset.peak * 32768 / Dbfs(std::min(db, 0.0))), 0, 3.5)
              << name;
      }
    }
  }
}

// A room's reflections of a stroke are the same stroke.
TEST(OnsetDetector, ReflectionsBelongToTheirStroke) {
  const std::vector<std::size_t> truth = StrokeTimes(6 * 44100);
  for (const Sound& sound : kSounds) {
    std::vector<double> mix = Noise(6 * 44100, Dbfs(-42), 11, false);
    AddAt(mix, truth, ThroughRoom(sound.stroke(Dbfs(-12)), kRoom));
    ExpectOnStrokes(Detect(Pcm(mix)), truth, std::string(sound.name) + " in a room");
  }
}

TEST(OnsetDetector, NoiseAloneIsNoStroke) {
  for (const double db : {-60.0, -30.0, -6.0})
    for (std::uint32_t seed = 1; seed <= 3; ++seed)
      for (const bool pink : {false, true})
        EXPECT_TRUE(Detect(Pcm(Noise(10 * 44100, Dbfs(db), seed, pink))).empty()) << db << pink;
}

// What the caller has not taken waits in order, up to the capacity; what did not fit is
// counted.
TEST(OnsetDetector, KeepsOnsetsUntilTakenAndCountsWhatItCouldNotKeep) {
  constexpr std::size_t kFrames = 3 * 44100;
  const std::vector<std::size_t> truth = StrokeTimes(kFrames);
  std::vector<double> mix = Noise(kFrames, Dbfs(-50), 11, false);
  AddAt(mix, truth, PlayerClave(Dbfs(-20)));
  OnsetDetector detector(2);
  const std::vector<Onset> kept = Detect(detector, Pcm(mix), 256);
  EXPECT_EQ(detector.Dropped(), truth.size() - 2);
  ExpectOnStrokes(kept, std::span(truth).first(2), "the two kept");
}

}  // namespace

// Every allocation of the test program is counted, so a test can tell that the code under
// it made none.
void* operator new(std::size_t size) {
  ++gAllocations;
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) std::abort();
  return memory;
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
