#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// Builds sound images byte by byte, so tests can make canonical and broken ones.
struct WaveImageLayout {
  std::uint16_t channels = 1;
  std::uint32_t sampleRate = 44100;
  std::uint16_t bitsPerSample = 16;
  std::uint32_t formatSize = 16;
  const char* riffId = "RIFF";
};

inline void PutBytes(std::vector<std::uint8_t>& out, const void* bytes, std::size_t n) {
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  for (std::size_t i = 0; i < n; ++i) out.push_back(p[i]);
}

template <typename T>
void PutLittleEndian(std::vector<std::uint8_t>& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A canonical image around `data`; `dataSize` overrides the size the header declares.
inline std::vector<std::uint8_t> MakeWaveImage(const WaveImageLayout& layout,
                                               const std::vector<std::uint8_t>& data,
                                               std::int64_t dataSize = -1) {
  const auto declared = static_cast<std::uint32_t>(dataSize < 0 ? data.size() : dataSize);
  const std::uint16_t blockAlign =
      static_cast<std::uint16_t>(layout.channels * layout.bitsPerSample / 8);
  std::vector<std::uint8_t> image;
  PutBytes(image, layout.riffId, 4);
  PutLittleEndian<std::uint32_t>(image, static_cast<std::uint32_t>(36 + data.size()));
  PutBytes(image, "WAVEfmt ", 8);
  PutLittleEndian<std::uint32_t>(image, layout.formatSize);
  PutLittleEndian<std::uint16_t>(image, 1);
  PutLittleEndian<std::uint16_t>(image, layout.channels);
  PutLittleEndian<std::uint32_t>(image, layout.sampleRate);
  PutLittleEndian<std::uint32_t>(image, layout.sampleRate * blockAlign);
  PutLittleEndian<std::uint16_t>(image, blockAlign);
  PutLittleEndian<std::uint16_t>(image, layout.bitsPerSample);
  PutBytes(image, "data", 4);
  PutLittleEndian<std::uint32_t>(image, declared);
  image.insert(image.end(), data.begin(), data.end());
  return image;
}

inline std::vector<std::uint8_t> Samples16(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes;
  for (std::int16_t s : samples)
    PutLittleEndian<std::uint16_t>(bytes, static_cast<std::uint16_t>(s));
  return bytes;
}
