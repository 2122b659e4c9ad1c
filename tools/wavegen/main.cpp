// tocolo_wavegen <output-dir>: writes the tones the application embeds as canonical
// 16-bit mono RIFF/WAVE files.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <vector>

#include "tools/wavegen/Synth.h"

namespace {

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
  out.insert(out.end(), tag, tag + 4);
}

// Byte by byte rather than by struct, so the image is the same whatever the host's endianness
// or padding.
std::vector<std::uint8_t> EncodeWave(std::uint32_t rate, std::span<const std::int16_t> samples) {
  const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataSize);
  PutTag(out, "RIFF");
  PutLittleEndian(out, 36 + dataSize, 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLittleEndian(out, 16, 4);
  PutLittleEndian(out, 1, 2);  // PCM
  PutLittleEndian(out, 1, 2);  // mono
  PutLittleEndian(out, rate, 4);
  PutLittleEndian(out, rate * 2, 4);
  PutLittleEndian(out, 2, 2);
  PutLittleEndian(out, 16, 2);
  PutTag(out, "data");
  PutLittleEndian(out, dataSize, 4);
  for (std::int16_t s : samples) PutLittleEndian(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

bool WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tocolo_wavegen <output-dir>\n");
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  for (const Tone& tone : {SynthesiseClaves(), SynthesiseHandclap(), SynthesiseCowbell()}) {
    const std::filesystem::path path = directory / tone.fileName;
    if (!WriteFile(path, EncodeWave(tone.headerRate, tone.samples))) {
      std::fprintf(stderr, "tocolo_wavegen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
