#pragma once

#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "audio/DefaultWaveDevice.h"
#include "engine/RhythmEngine.h"
#include "engine/WaveImage.h"
#include "res/Resources.h"
#include "support/ManualWaveDevice.h"

// An embedded sound's samples as its image holds them.
inline std::vector<std::int16_t> SoundSamples(int id) {
  ChannelSlots channelSlots;
  std::int32_t frames = 0;
  WaveImageHeader header;
  const bool ok =
      ParseWaveImage(res::FindResource(id, res::kTypeWave), channelSlots, frames, header);
  if (!ok) return {};
  return {channelSlots[0].get(), channelSlots[0].get() + frames};
}
inline std::vector<std::int16_t> ToneSamples(int tone) {
  return SoundSamples(CRhythmEngine::kToneResourceIds[tone]);
}
inline std::vector<std::int16_t> ClickSamples() {
  return SoundSamples(CRhythmEngine::kClickResourceId);
}

// `sound` added into `mix` at each position, every sum held within 16 bits, cut at the end.
inline void MixAt(std::vector<std::int16_t>& mix, const std::vector<std::size_t>& positions,
                  const std::vector<std::int16_t>& sound) {
  for (std::size_t p : positions) {
    for (std::size_t i = 0; i < sound.size() && p + i < mix.size(); ++i) {
      const int sum = mix[p + i] + sound[i];
      mix[p + i] = static_cast<std::int16_t>(sum > 32767 ? 32767 : sum < -32768 ? -32768 : sum);
    }
  }
}

// The sound `frames` long with `tone` started at each position, a later stroke cutting off
// an earlier one, and nothing past the end.
inline std::vector<std::int16_t> StrokesAt(const std::vector<std::size_t>& positions,
                                           const std::vector<std::int16_t>& tone,
                                           std::size_t frames) {
  std::vector<std::int16_t> sound(frames, 0);
  for (std::size_t p : positions) {
    for (std::size_t i = 0; i < tone.size() && p + i < frames; ++i) sound[p + i] = tone[i];
  }
  return sound;
}

// The part of the engine's loop that plays.
inline std::vector<std::int16_t> PlayedLoop(const CRhythmEngine& engine) {
  const auto loop = engine.LoopBuffer().first(engine.LoopLength() / 2);
  return {loop.begin(), loop.end()};
}

// The loop a fresh engine plays for these settings.
inline std::vector<std::int16_t> LoopFor(std::int32_t pattern, std::int32_t tone,
                                         std::uint32_t tempo) {
  ManualWaveDevice device(kCdMono);
  ScopedWaveDeviceOverride use(&device);
  CRhythmEngine engine;
  engine.SetPattern(pattern);
  engine.SetTone(tone);
  engine.SetTempo(tempo);
  return PlayedLoop(engine);
}

// An engine whose output is a device the test pulls frames from.
class EngineTest : public ::testing::Test {
 protected:
  std::vector<std::int16_t> Pull(std::size_t frames) {
    std::vector<std::int16_t> out(frames);
    device.Pull(out);
    return out;
  }
  std::vector<std::int16_t> PlayedLoop() const { return ::PlayedLoop(engine); }

  ManualWaveDevice device{kCdMono};
  ScopedWaveDeviceOverride useDevice{&device};
  CRhythmEngine engine;
};
