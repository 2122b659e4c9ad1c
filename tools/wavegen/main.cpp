// tocolo_wavegen <output-dir>: writes the tones and the beat's click the application embeds as
// canonical 16-bit mono RIFF/WAVE files.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <vector>

#include "tools/common/ByteWriter.h"
#include "tools/wavegen/Synth.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tocolo_wavegen <output-dir>\n");
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  for (const Tone& tone :
       {SynthesiseClaves(), SynthesiseHandclap(), SynthesiseCowbell(), SynthesiseClick()}) {
    const std::filesystem::path path = directory / tone.fileName;
    if (!WriteFile(path, EncodeWave(tone.headerRate, tone.samples))) {
      std::fprintf(stderr, "tocolo_wavegen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
