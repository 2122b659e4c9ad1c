#include "engine/WaveImage.h"

#include <bit>
#include <cstring>
#include <limits>

std::size_t ReadBytes(void* destination, std::size_t size, std::size_t count, ReadCursor& cursor) {
  const std::size_t bytes = size * count;
  if (static_cast<std::size_t>(cursor.end - cursor.position) < bytes) return 0;
  std::memcpy(destination, cursor.position, bytes);
  cursor.position += bytes;
  return bytes;
}

namespace {

template <typename Field>
bool ReadField(Field& field, ReadCursor& cursor) {
  return ReadBytes(&field, sizeof(Field), 1, cursor) == sizeof(Field);
}

// The header is stored little-endian; so is every machine this runs on.
static_assert(std::endian::native == std::endian::little);

bool ReadHeader(WaveImageHeader& h, ReadCursor& cursor) {
  return ReadField(h.riffId, cursor) && ReadField(h.riffSize, cursor) &&
         ReadField(h.formId, cursor) && ReadField(h.formatId, cursor) &&
         ReadField(h.formatSize, cursor) && ReadField(h.formatTag, cursor) &&
         ReadField(h.channels, cursor) && ReadField(h.sampleRate, cursor) &&
         ReadField(h.byteRate, cursor) && ReadField(h.blockAlign, cursor) &&
         ReadField(h.bitsPerSample, cursor) && ReadField(h.dataId, cursor) &&
         ReadField(h.dataSize, cursor);
}

bool IsId(const std::array<char, 4>& id, const char (&expected)[5]) {
  return std::memcmp(id.data(), expected, 4) == 0;
}

bool IsCanonical(const WaveImageHeader& h) {
  return IsId(h.riffId, "RIFF") && IsId(h.formId, "WAVE") && IsId(h.formatId, "fmt ") &&
         h.formatSize == 16 && IsId(h.dataId, "data");
}

}  // namespace

bool ParseWaveImage(std::span<const std::uint8_t> image, ChannelSlots& channelSlots,
                    std::int32_t& frames, WaveImageHeader& header) {
  header = WaveImageHeader{};
  ReadCursor cursor{image.data(), image.data() + image.size()};
  if (!ReadHeader(header, cursor) || !IsCanonical(header)) return false;
  const std::uint32_t channels = header.channels;
  const std::uint32_t bits = header.bitsPerSample;
  if (channels < 1 || channels > 2 || (bits != 8 && bits != 16)) return false;
  if (header.dataSize > image.size() - kWaveImageHeaderSize) return false;

  const std::uint32_t bytesPerSample = bits / 8;
  const std::uint32_t count = header.dataSize / channels / bytesPerSample;
  if (count > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) return false;

  ChannelSlots decoded;
  for (std::uint32_t c = 0; c < channels; ++c) {
    decoded[c] = std::make_unique_for_overwrite<std::int16_t[]>(count);
  }
  // Bounds were checked above, so each read below succeeds.
  for (std::uint32_t i = 0; i < count; ++i) {
    for (std::uint32_t c = 0; c < channels; ++c) {
      std::int16_t sample = 0;
      if (bits == 8) {
        std::uint8_t b = 0;
        ReadBytes(&b, 1, 1, cursor);
        sample = static_cast<std::int16_t>((b - 128) * 256);
      } else {
        ReadBytes(&sample, 2, 1, cursor);
      }
      decoded[c][i] = sample;
    }
  }
  for (std::uint32_t c = 0; c < channels; ++c) channelSlots[c] = std::move(decoded[c]);
  frames = static_cast<std::int32_t>(count);
  return true;
}
