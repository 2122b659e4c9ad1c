#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "audio/WaveOut.h"
#include "res/ResourceIds.h"

// Loops one clave pattern played with one tone at a tempo. Every change of setting renders
// the loop afresh into one buffer, and a loop that was playing restarts from its start.
class CRhythmEngine {
 public:
  // Patterns and tones by index, the values SetPattern and SetTone take.
  static constexpr std::int32_t kPatternTwoThree = 0;
  static constexpr std::int32_t kPatternRumba = 1;
  static constexpr std::int32_t kPatternSixEight = 2;
  static constexpr std::int32_t kToneClaves = 0;
  static constexpr std::int32_t kToneHandClap = 1;
  static constexpr std::int32_t kToneCowbell = 2;
  static constexpr int kToneCount = 3;
  static constexpr int kPatternCount = 3;
  static constexpr std::array<int, kToneCount> kToneResourceIds = {
      IDR_WAVE_CLAVES, IDR_WAVE_HANDCLAP, IDR_WAVE_COWBELL};
  static constexpr int kClickResourceId = IDR_WAVE_CLICK;  // the beat's click
  static constexpr std::size_t kLoopCapacity = 470400;     // samples
  static constexpr std::uint32_t kDefaultTempo = 195;
  static constexpr std::uint32_t kBytesPerMinute = kCdMono.avgBytesPerSec * 60;
  // How often Play repeats the loop before the output falls silent by itself, unless the
  // engine is made with another count: 1000 times, 40 minutes at the default tempo.
  static constexpr std::uint32_t kPlayLoops = 1000;

  // Stroke positions of each pattern as fractions of the loop, six to a row: 2-3 and the
  // rumba have five strokes and repeat their last, which lands on itself.
  static constexpr std::array<std::array<double, 6>, kPatternCount> kClaveTable = {{
      {0.125, 0.25, 0.5, 0.6875, 0.875, 0.875},
      {0, 0.1875, 0.4375, 0.625, 0.75, 0.75},
      {0, 1.0 / 6, 5.0 / 12, 7.0 / 12, 0.75, 11.0 / 12},
  }};

  // Opens the output, loads the three tones and renders a first loop at the default tempo.
  // Each Play repeats the loop `playLoops` times.
  explicit CRhythmEngine(std::uint32_t playLoops = kPlayLoops);
  virtual ~CRhythmEngine();
  CRhythmEngine(const CRhythmEngine&) = delete;
  CRhythmEngine& operator=(const CRhythmEngine&) = delete;

  // Each setter renders again, even for the value already set; a value the loop cannot be
  // rendered for (tempo 0 or too slow to fit the buffer, index outside 0..2) is ignored.
  void SetTempo(std::uint32_t beatsPerMinute);
  void SetPattern(std::int32_t index);
  void SetTone(std::int32_t index);
  // Practice aids, off in a fresh engine; each renders again like the setters above. With
  // the beat on, a click sounds on every beat under the strokes. A silent cycle of n >= 2
  // makes the last loop of every n silent (0 or 1: none).
  void SetBeat(bool on);
  void SetSilentCycle(std::uint32_t cycle);

  bool Play();
  bool Stop();
  bool IsPlaying() const { return output.IsPlaying(); }
  // Called on the output's own thread when playing stops by itself: the last repetition has
  // been heard, or the output went away. It must only pass the news on (see WaveDevice).
  void SetStoppedListener(std::function<void()> listener);
  // When each sample of the loop playing is heard, where the output can tell; kept fresh
  // while wanted (see WaveDevice).
  std::optional<LoopClock> HeardClock() const { return output.HeardClock(); }
  void SetClockWanted(bool wanted) { output.SetClockWanted(wanted); }
  // The sound server's sink the loop plays to, where there is one: never to be listened to.
  std::string SinkName() const { return output.SinkName(); }

  // Renders the loop for the current settings, restarting playback if it was running.
  void Render();

  std::uint32_t Tempo() const { return tempo; }
  std::uint32_t PlayLoops() const { return playLoops; }
  std::int32_t Pattern() const { return pattern; }
  std::int32_t Tone() const { return tone; }
  bool Beat() const { return beat; }
  std::uint32_t SilentCycle() const { return output.Header().silentCycle; }
  // The loop buffer (empty if loading stopped early) and the byte length that plays.
  std::span<const std::int16_t> LoopBuffer() const;
  std::uint32_t LoopLength() const { return output.Header().bufferLength; }

  static std::uint32_t BeatsPerLoop(std::int32_t pattern) {
    return pattern == kPatternSixEight ? 6 : 8;
  }
  static std::uint32_t LoopBytes(std::int32_t pattern, std::uint32_t tempo) {
    return BeatsPerLoop(pattern) * kBytesPerMinute / tempo;
  }
  static bool IsValidTempo(std::uint32_t tempo);

 private:
  bool LoadTones();
  void LoadClick();
  void AddBeat(std::uint32_t frames);

  CWaveOut output;
  std::uint32_t playLoops;
  std::array<std::unique_ptr<std::int16_t[]>, kToneCount> samples;
  std::array<std::int32_t, kToneCount> counts{};
  std::unique_ptr<std::int16_t[]> loop;
  std::uint32_t tempo = kDefaultTempo;
  std::int32_t pattern = kPatternTwoThree;
  std::int32_t tone = kToneClaves;
  std::unique_ptr<std::int16_t[]> click;
  std::int32_t clickCount = 0;
  bool beat = false;
};
