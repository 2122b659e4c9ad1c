#include "engine/RhythmEngine.h"

#include <algorithm>
#include <cstring>

#include "engine/MessageBox.h"
#include "engine/SaturatingMix.h"
#include "engine/WaveImage.h"
#include "res/Resources.h"

// Render counts bytes and places samples: the two meet at one 16-bit sample a frame.
static_assert(kCdMono.blockAlign == sizeof(std::int16_t));

CRhythmEngine::CRhythmEngine(std::uint32_t playLoops) : playLoops(playLoops) {
  if (!LoadTones()) return;
  LoadClick();
  // Render zero-fills what plays, so the rest is never touched and costs no memory: even the
  // slowest loop uses less than half of the buffer.
  loop = std::make_unique_for_overwrite<std::int16_t[]>(kLoopCapacity);
  tempo = kDefaultTempo;
  pattern = kPatternTwoThree;
  tone = kToneClaves;
  output.SetBitsPerSample(kCdMono.bitsPerSample);
  output.SetChannels(kCdMono.channels);
  output.SetSampleRate(kCdMono.samplesPerSec);
  output.SetBuffer(loop.get());
  Render();
}

CRhythmEngine::~CRhythmEngine() {
  // The device must not go on reading the loop once it is released, nor tell anyone of it.
  output.Stop();
  output.SetStoppedListener({});
}

void CRhythmEngine::SetStoppedListener(std::function<void()> listener) {
  output.SetStoppedListener(std::move(listener));
}

bool CRhythmEngine::LoadTones() {
  WaveImageHeader header;
  for (int t = 0; t < kToneCount; ++t) {
    ChannelSlots channelSlots;  // a second channel stays here and is dropped, never another tone's
    std::int32_t frames = 0;
    const bool parsed = ParseWaveImage(res::FindResource(kToneResourceIds[t], res::kTypeWave),
                                       channelSlots, frames, header);
    if (header.channels != 1) {
      samples[t] = nullptr;
      counts[t] = 0;
      ShowMessageBox("only mono data", "error");
      return false;
    }
    // A damaged image leaves its tone silent rather than stopping the others.
    samples[t] = parsed ? std::move(channelSlots[0]) : nullptr;
    counts[t] = parsed ? frames : 0;
  }
  return true;
}

// Without a usable click the beat stays silent; the strokes are unaffected.
void CRhythmEngine::LoadClick() {
  WaveImageHeader header;
  ChannelSlots channelSlots;
  std::int32_t frames = 0;
  const bool parsed = ParseWaveImage(res::FindResource(kClickResourceId, res::kTypeWave),
                                     channelSlots, frames, header);
  if (!parsed || header.channels != 1 || frames <= 0) return;
  click = std::move(channelSlots[0]);
  clickCount = frames;
}

bool CRhythmEngine::IsValidTempo(std::uint32_t tempo) {
  return tempo != 0 && LoopBytes(0, tempo) <= kLoopCapacity * sizeof(std::int16_t);
}

void CRhythmEngine::SetTempo(std::uint32_t beatsPerMinute) {
  if (!IsValidTempo(beatsPerMinute)) return;
  tempo = beatsPerMinute;
  Render();
}

void CRhythmEngine::SetPattern(std::int32_t index) {
  if (index < 0 || index >= kPatternCount) return;
  pattern = index;
  Render();
}

void CRhythmEngine::SetTone(std::int32_t index) {
  if (index < 0 || index >= kToneCount) return;
  tone = index;
  Render();
}

void CRhythmEngine::SetBeat(bool on) {
  beat = on;
  Render();
}

void CRhythmEngine::SetSilentCycle(std::uint32_t cycle) {
  output.SetSilentCycle(cycle);
  Render();
}

bool CRhythmEngine::Play() {
  output.Play(playLoops);
  return true;
}

bool CRhythmEngine::Stop() {
  output.Stop();
  return true;
}

std::span<const std::int16_t> CRhythmEngine::LoopBuffer() const {
  if (!loop) return {};
  return {loop.get(), kLoopCapacity};
}

void CRhythmEngine::Render() {
  if (!loop) return;
  const std::uint32_t length = LoopBytes(pattern, tempo);
  const bool wasPlaying = output.IsPlaying();
  if (wasPlaying) output.Stop();

  std::memset(loop.get(), 0, length);
  const std::size_t count = samples[tone] ? static_cast<std::size_t>(counts[tone]) : 0;
  for (double fraction : kClaveTable[pattern]) {
    if (count == 0) break;
    const auto position = static_cast<std::size_t>(static_cast<double>(length >> 1) * fraction);
    // A stroke runs on past the loop's end into the unplayed rest of the buffer.
    const std::size_t n = std::min(count, kLoopCapacity - position);
    std::memcpy(loop.get() + position, samples[tone].get(), n * sizeof(std::int16_t));
  }
  if (beat) AddBeat(length >> 1);
  output.SetLength(length);
  if (wasPlaying) output.Play(playLoops);
}

// Clicks on each beat, over the strokes already in place, cut at the loop's end.
void CRhythmEngine::AddBeat(std::uint32_t frames) {
  if (!click) return;
  const std::uint32_t beats = BeatsPerLoop(pattern);
  const std::span<std::int16_t> played(loop.get(), frames);
  const std::span<const std::int16_t> sound(click.get(), static_cast<std::size_t>(clickCount));
  for (std::uint32_t k = 0; k < beats; ++k) {
    const auto position = static_cast<std::size_t>(std::uint64_t{frames} * k / beats);
    MixSaturating(played.subspan(position), sound);
  }
}
