#pragma once
// The tap lines of a take that the tap-along window's Copy put on the clipboard.

#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// One line: tap, source, verdict, loop, stroke, offset, separated by tabs.
struct CopiedTap {
  std::string source;   // key, mouse or microphone
  std::string verdict;  // hit or extra
  std::optional<double> offsetMs;
};

// The lines that start with a tap's number, in order; the summary and header lines are
// skipped.
inline std::vector<CopiedTap> CopiedTaps(const std::string& copied) {
  std::vector<CopiedTap> taps;
  std::istringstream lines(copied);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields(1);
    for (char c : line) {
      if (c == '\t') {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    if (fields.size() < 6 || fields[0].empty() || !std::isdigit(fields[0][0])) continue;
    CopiedTap tap{fields[1], fields[2], std::nullopt};
    if (!fields[5].empty()) tap.offsetMs = std::stod(fields[5]);
    taps.push_back(tap);
  }
  return taps;
}
