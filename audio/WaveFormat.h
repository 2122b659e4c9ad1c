#pragma once

#include <cstdint>

// The output's format record: PCM, channels interleaved frame by frame.
struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
};

inline constexpr std::uint16_t kWaveFormatPcm = 1;

// 16-bit mono PCM, the one format the devices play.
constexpr bool IsMono16(const WaveFormat& format) {
  return format.formatTag == kWaveFormatPcm && format.bitsPerSample == 16 && format.channels == 1;
}

// PCM with the block size and byte rate that follow from the other three.
constexpr WaveFormat PcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec,
                               std::uint16_t bitsPerSample) {
  const auto blockAlign = static_cast<std::uint16_t>(channels * bitsPerSample / 8);
  return {kWaveFormatPcm, channels,     samplesPerSec, blockAlign * samplesPerSec,
          blockAlign,     bitsPerSample};
}

// The engine's output: 16-bit mono at 44.1 kHz. Stated here alone; the output channel's
// defaults, the engine's set-up and the loop's length in bytes all follow from it.
inline constexpr WaveFormat kCdMono = PcmFormat(1, 44100, 16);

// Describes the one buffer the output plays: `bufferLength` bytes from `data`, repeated
// `loops` times in all when both loop flags are set. With a `silentCycle` of 2 or more, the
// last repetition of every cycle of that many plays as silence of the same length.
struct WaveHeader {
  const std::int16_t* data = nullptr;
  std::uint32_t bufferLength = 0;
  std::uint32_t bytesRecorded = 0;
  std::uintptr_t user = 0;
  std::uint32_t flags = 0;
  std::uint32_t loops = 0;
  WaveHeader* next = nullptr;
  std::uintptr_t reserved = 0;
  std::uint32_t silentCycle = 0;
};

inline constexpr std::uint32_t kWaveHeaderBeginLoop = 0x4;
inline constexpr std::uint32_t kWaveHeaderEndLoop = 0x8;
