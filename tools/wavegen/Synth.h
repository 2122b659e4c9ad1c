#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// One synthesised tone and the file it is written to. The player runs every tone at
// 44100 Hz whatever its header says, so `headerRate` is a label only.
struct Tone {
  std::string_view fileName;
  std::uint32_t headerRate = 0;
  std::vector<std::int16_t> samples;
};

// Each is deterministic: the same samples on every run and machine, peaking at -3 dBFS
// (the click at -15 dBFS), free of DC, starting and ending at zero.
Tone SynthesiseClaves();
Tone SynthesiseHandclap();
Tone SynthesiseCowbell();
Tone SynthesiseClick();
