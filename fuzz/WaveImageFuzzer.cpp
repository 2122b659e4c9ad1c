// Feeds arbitrary bytes to ParseWaveImage. A rejected image must leave nothing allocated; an
// accepted one must agree with its header and every decoded sample must be readable and equal
// to the image's bytes, so a wrong bound shows as an ASan report or an abort.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

#include "engine/WaveImage.h"

namespace {

// Names the broken invariant: the inlined abort alone leaves no line in the stack trace.
void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::abort();
}

std::int16_t ExpectedSample(const std::uint8_t* at, std::uint32_t bits) {
  if (bits == 8) return static_cast<std::int16_t>((at[0] - 128) * 256);
  std::int16_t sample;
  std::memcpy(&sample, at, 2);
  return sample;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ChannelSlots slots;
  std::int32_t frames = -1;
  WaveImageHeader header;
  if (!ParseWaveImage(std::span(data, size), slots, frames, header)) {
    Require(!slots[0] && !slots[1], "a rejected image allocated samples");
    return 0;
  }

  const std::uint32_t channels = header.channels;
  const std::uint32_t bits = header.bitsPerSample;
  Require(channels == 1 || channels == 2, "channel count");
  Require(bits == 8 || bits == 16, "bits per sample");
  Require(size >= kWaveImageHeaderSize && header.dataSize <= size - kWaveImageHeaderSize,
          "data past the image");
  Require(frames >= 0, "negative frames");
  const std::uint32_t bytesPerSample = bits / 8;
  Require(static_cast<std::uint32_t>(frames) == header.dataSize / channels / bytesPerSample,
          "frames disagree with the data size");
  Require(slots[0] != nullptr, "first slot empty");
  Require((slots[1] != nullptr) == (channels == 2), "second slot set iff stereo");

  // Reading the image independently also catches samples left unwritten.
  const std::uint8_t* at = data + kWaveImageHeaderSize;
  for (std::int32_t i = 0; i < frames; ++i) {
    for (std::uint32_t c = 0; c < channels; ++c) {
      Require(slots[c][i] == ExpectedSample(at, bits), "sample differs from the image");
      at += bytesPerSample;
    }
  }
  return 0;
}
