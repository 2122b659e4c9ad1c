#pragma once

#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "audio/DefaultWaveDevice.h"
#include "audio/ManualWaveDevice.h"
#include "engine/RhythmEngine.h"
#include "engine/WaveImage.h"
#include "res/Resources.h"

inline constexpr WaveFormat kCdMono{kWaveFormatPcm, 1, 44100, 88200, 2, 16};

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

// An engine whose output is a device the test pulls frames from.
class EngineTest : public ::testing::Test {
 protected:
  std::vector<std::int16_t> Pull(std::size_t frames) {
    std::vector<std::int16_t> out(frames);
    device.Pull(out);
    return out;
  }
  // The part of the loop that plays.
  std::vector<std::int16_t> PlayedLoop() const {
    const auto loop = engine.LoopBuffer().first(engine.LoopLength() / 2);
    return {loop.begin(), loop.end()};
  }

  ManualWaveDevice device{kCdMono};
  ScopedWaveDeviceOverride useDevice{&device};
  CRhythmEngine engine;
};
