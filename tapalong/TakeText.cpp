#include "tapalong/TakeText.h"

#include "tapalong/FiguresText.h"
#include "tapalong/Take.h"

namespace {

const char* SourceWord(TapSource source) {
  switch (source) {
    case TapSource::kKeyboard:
      return "key";
    case TapSource::kMouse:
      return "mouse";
    case TapSource::kMicrophone:
      return "microphone";
  }
  return "";
}

}  // namespace

std::string TapText(const ScoredTap& tap, std::size_t number) {
  std::string text = std::to_string(number) + ". " + SourceWord(tap.source) + ": ";
  if (tap.verdict != TapVerdict::kHit) text += "extra, ";
  if (!tap.stroke) return text + "no stroke near";
  text += "loop " + std::to_string(tap.stroke->repetition + 1);
  if (tap.silentRepetition) text += " (silent)";
  return text + ", stroke " + std::to_string(tap.stroke->index + 1) + ", " +
         OffsetText(*tap.offsetMs);
}

std::string TakeText(const Take& take) {
  const TakeFigures figures = take.Figures();
  std::string text = SummaryText(figures) + "\n" + SplitText(figures) + "\n";
  for (std::size_t i = 0; i < figures.strokes.size(); ++i) text += StrokeText(figures, i) + "\n";
  text += "tap\tsource\tverdict\tloop\tstroke\toffset ms\n";
  std::size_t number = 0;
  for (const ScoredTap& tap : take.Taps()) {
    text += std::to_string(++number) + "\t" + SourceWord(tap.source) + "\t" +
            (tap.verdict == TapVerdict::kHit ? "hit" : "extra") + "\t";
    if (tap.stroke) {
      text += std::to_string(tap.stroke->repetition + 1) + "\t" +
              std::to_string(tap.stroke->index + 1) + "\t" + OneDecimalText(*tap.offsetMs, false);
    } else {
      text += "\t\t";
    }
    text += "\n";
  }
  return text;
}
