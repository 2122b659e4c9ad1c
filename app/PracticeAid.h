#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "res/ResourceIds.h"

// One item of the practice aids in the window menu: the system command it sends, its text
// (& marks the mnemonic), what it does and, for a silent-loop choice, its cycle.
struct PracticeAid {
  enum class Kind {
    kBeat,         // turns the click on every beat on or off: a check mark shows it on
    kSilentLoops,  // one of the silent-loop choices, always one chosen: a dot shows which
  };

  unsigned command;  // low four bits clear, as every system command
  const char* text;
  Kind kind;
  std::uint32_t silentCycle = 0;  // the last loop of every this many is silent; 0 none
};

// The aids in menu order, between the window menu's Close and its About item. Items of one
// kind stand together, and a separator goes before each kind. A new item takes the next
// free command.
inline constexpr std::array kPracticeAids = {
    PracticeAid{0x0020, "&Beat", PracticeAid::Kind::kBeat},
    PracticeAid{0x0030, "Silent loops &off", PracticeAid::Kind::kSilentLoops, 0},
    PracticeAid{0x0040, "&Every second loop silent", PracticeAid::Kind::kSilentLoops, 2},
    PracticeAid{0x0050, "One silent loop in &four", PracticeAid::Kind::kSilentLoops, 4},
};

// The aid whose item sends `command`; null for any other command.
constexpr const PracticeAid* FindPracticeAid(unsigned command) {
  const auto* it =
      std::find_if(kPracticeAids.begin(), kPracticeAids.end(),
                   [command](const PracticeAid& aid) { return aid.command == command; });
  return it == kPracticeAids.end() ? nullptr : it;
}

// The commands that the menu's group of silent-loop choices spans, first to last.
inline constexpr unsigned kFirstSilentLoops =
    std::find_if(kPracticeAids.begin(), kPracticeAids.end(), [](const PracticeAid& aid) {
      return aid.kind == PracticeAid::Kind::kSilentLoops;
    })->command;
inline constexpr unsigned kLastSilentLoops =
    std::find_if(kPracticeAids.rbegin(), kPracticeAids.rend(), [](const PracticeAid& aid) {
      return aid.kind == PracticeAid::Kind::kSilentLoops;
    })->command;

// Each command is the menu's own: rising, with the low bits clear, after the About item's
// and before the tap-along item's, which is the next free one. The group of choices spans
// the choices alone.
static_assert(IDM_TAPALONG == kPracticeAids.back().command + 0x10 && IDM_TAPALONG < 0xF000);
static_assert([] {
  unsigned previous = IDM_ABOUTBOX;
  for (const PracticeAid& aid : kPracticeAids) {
    if (aid.command <= previous || (aid.command & 0xF) != 0 || aid.command >= 0xF000) return false;
    previous = aid.command;
    const bool inGroup = aid.command >= kFirstSilentLoops && aid.command <= kLastSilentLoops;
    if (inGroup != (aid.kind == PracticeAid::Kind::kSilentLoops)) return false;
  }
  return true;
}());
