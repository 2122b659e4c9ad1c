#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "tools/common/ByteWriter.h"

// Builds sound images byte by byte, so tests can make canonical and broken ones.
struct WaveImageLayout {
  std::uint16_t channels = 1;
  std::uint32_t sampleRate = 44100;
  std::uint16_t bitsPerSample = 16;
  std::uint32_t formatSize = 16;
  const char* riffId = "RIFF";
};

// A canonical image around `data`; `dataSize` overrides the size the header declares.
inline std::vector<std::uint8_t> MakeWaveImage(const WaveImageLayout& layout,
                                               const std::vector<std::uint8_t>& data,
                                               std::int64_t dataSize = -1) {
  const auto declared = static_cast<std::uint32_t>(dataSize < 0 ? data.size() : dataSize);
  const std::uint16_t blockAlign =
      static_cast<std::uint16_t>(layout.channels * layout.bitsPerSample / 8);
  std::vector<std::uint8_t> image;
  for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(layout.riffId[i]));
  PutLittleEndian(image, static_cast<std::uint32_t>(36 + data.size()), 4);
  PutTag(image, "WAVE");
  PutTag(image, "fmt ");
  PutLittleEndian(image, layout.formatSize, 4);
  PutLittleEndian(image, 1, 2);
  PutLittleEndian(image, layout.channels, 2);
  PutLittleEndian(image, layout.sampleRate, 4);
  PutLittleEndian(image, layout.sampleRate * blockAlign, 4);
  PutLittleEndian(image, blockAlign, 2);
  PutLittleEndian(image, layout.bitsPerSample, 2);
  PutTag(image, "data");
  PutLittleEndian(image, declared, 4);
  image.insert(image.end(), data.begin(), data.end());
  return image;
}

inline std::vector<std::uint8_t> Samples16(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes;
  for (std::int16_t s : samples) PutLittleEndian(bytes, static_cast<std::uint16_t>(s), 2);
  return bytes;
}
