#include "tapalong/FiguresText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string MeanAndSpread(const OffsetStats& stats) {
  return "mean " + OffsetText(stats.meanMs) + ", spread " + OneDecimalText(stats.spreadMs, false) +
         " ms";
}

// Whole percent, but 100% only when every hit is within and 0% only when none is, so that
// a stray tap in a long take is still heard.
std::string Percent(double share) {
  long percent = std::lround(share * 100);
  if (share < 1) percent = std::min(percent, 99L);
  if (share > 0) percent = std::max(percent, 1L);
  return std::to_string(percent) + "%";
}

std::string Group(const std::string& name, const OffsetStats& stats) {
  if (stats.hits == 0) return name + ": no hits";
  return name + ": " + Count(stats.hits, "hit", "hits") + ", " + MeanAndSpread(stats);
}

}  // namespace

std::string OffsetText(double offsetMs) {
  const std::string text = OneDecimalText(offsetMs, true);
  const char* word = text == "+0.0" ? "on time" : (text[0] == '-' ? "early" : "late");
  return text + " ms (" + word + ")";
}

// std::to_chars ignores the locale, which a Qt program sets from the environment.
std::string OneDecimalText(double value, bool sign) {
  double rounded = std::round(value * 10) / 10;
  if (rounded == 0) rounded = 0;
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, 1);
  const std::string digits(text, end.ptr);
  return sign && rounded >= 0 ? "+" + digits : digits;
}

std::string SummaryText(const TakeFigures& figures) {
  std::string counts =
      Count(figures.misses, "miss", "misses") + ", " + Count(figures.extras, "extra", "extras");
  if (figures.masked > 0) counts += ", " + std::to_string(figures.masked) + " masked";
  if (figures.hits == 0) {
    const bool none = figures.misses == 0 && figures.extras == 0 && figures.masked == 0;
    return none ? "no hits yet" : "no hits yet; " + counts;
  }
  std::string text = Count(figures.hits, "hit", "hits") + ", " + counts + "; " +
                     MeanAndSpread(figures.all) + "; within ";
  for (std::size_t i = 0; i < figures.within.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(static_cast<int>(TakeFigures::kWithinMs[i])) + " ms " +
            Percent(figures.within[i]);
  }
  return text;
}

std::string SplitText(const TakeFigures& figures) {
  return Group("sounding loops", figures.sounding) + "; " + Group("silent loops", figures.silent);
}

std::string StrokeText(const TakeFigures& figures, std::size_t index) {
  if (index >= figures.strokes.size()) return {};
  return Group("stroke " + std::to_string(index + 1), figures.strokes[index]);
}
