#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// The canonical sound image: a RIFF/WAVE file with exactly one 16-byte "fmt " chunk
// followed at once by the "data" chunk, samples starting at byte 44.

// The 44-byte header, field by field in image order (all little-endian in the image).
struct WaveImageHeader {
  std::array<char, 4> riffId{};
  std::uint32_t riffSize = 0;
  std::array<char, 4> formId{};
  std::array<char, 4> formatId{};
  std::uint32_t formatSize = 0;
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::array<char, 4> dataId{};
  std::uint32_t dataSize = 0;
};

inline constexpr std::size_t kWaveImageHeaderSize = 44;

// A position in an image being read, bounded by the image's end.
struct ReadCursor {
  const std::uint8_t* position;
  const std::uint8_t* end;
};

// Copies size * count bytes from the cursor to `destination` and advances the cursor by as
// many; returns that number. Copies nothing and returns 0 when fewer bytes remain.
std::size_t ReadBytes(void* destination, std::size_t size, std::size_t count, ReadCursor& cursor);

// One sample array per channel; the second is used by two-channel images only.
using ChannelSlots = std::array<std::unique_ptr<std::int16_t[]>, 2>;

// Decodes a canonical 8- or 16-bit PCM image of one or two channels into one array of
// 16-bit samples per channel, de-interleaved. The header is filled whenever the image holds
// one. Returns false, allocating nothing, for an image that is short, that is not laid out
// canonically, or that has other than 1 or 2 channels or 8 or 16 bits per sample. The sample
// rate is reported in the header and otherwise ignored. For 16-bit images an odd data size
// drops the last byte; 8-bit samples are scaled to the 16-bit range.
bool ParseWaveImage(std::span<const std::uint8_t> image, ChannelSlots& channelSlots,
                    std::int32_t& frames, WaveImageHeader& header);
