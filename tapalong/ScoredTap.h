#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>

enum class TapSource { kKeyboard, kMouse, kMicrophone };

enum class TapVerdict {
  kHit,
  // A second tap on a stroke already taken, or a tap with no stroke within the window.
  kExtra,
  // Not a position at all (NaN or infinite): neither counted nor listed.
  kRejected,
};

// One stroke of the take: stroke `index` of the plan in repetition `repetition`.
struct StrokeRef {
  std::uint32_t repetition = 0;
  std::size_t index = 0;
  auto operator<=>(const StrokeRef&) const = default;
};

// What a take made of one tap.
struct ScoredTap {
  double position = 0;  // samples on the take's timeline
  TapSource source = TapSource::kKeyboard;
  TapVerdict verdict = TapVerdict::kRejected;
  // The stroke the tap was matched to; none for a tap with no stroke within the window.
  std::optional<StrokeRef> stroke;
  // Tap minus stroke in milliseconds: minus is early, plus is late. Set whenever stroke is.
  std::optional<double> offsetMs;
  bool silentRepetition = false;  // the stroke's repetition is silent; false without a stroke
};
