#pragma once

#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "audio/DefaultWaveDevice.h"
#include "engine/RhythmEngine.h"
#include "engine/WaveImage.h"
#include "res/Resources.h"
#include "support/ManualWaveDevice.h"

// A tone's samples as the embedded image holds them.
inline std::vector<std::int16_t> ToneSamples(int tone) {
  ChannelSlots channelSlots;
  std::int32_t frames = 0;
  WaveImageHeader header;
  const bool ok =
      ParseWaveImage(res::FindResource(CRhythmEngine::kToneResourceIds[tone], res::kTypeWave),
                     channelSlots, frames, header);
  if (!ok) return {};
  return {channelSlots[0].get(), channelSlots[0].get() + frames};
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
