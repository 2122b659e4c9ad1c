#pragma once

#include <cstddef>
#include <string>

#include "tapalong/ScoredTap.h"

class Take;

// The taps of a take as text: a line of the window's list, and what Copy puts on the
// clipboard. Loops and strokes count from 1, as StrokeText's do.

// "3. key: loop 2 (silent), stroke 4, -12.3 ms (early)"; "4. mouse: extra, no stroke near";
// "5. key: extra, loop 2, stroke 4, +40.0 ms (late)". `number` counts from 1.
std::string TapText(const ScoredTap& tap, std::size_t number);

// The take for a practice log or a spreadsheet: its SummaryText, SplitText and the
// StrokeText of each stroke, a line each; then the line "tap, source, verdict, loop, stroke,
// offset ms" and one line per tap, with those fields separated by tabs: number, "key",
// "mouse" or "microphone", "hit" or "extra", loop, stroke, and the offset in milliseconds
// with one decimal, minus when early ("-12.3", "4.0"); a tap with no stroke near leaves the
// last three empty. Every line ends with "\n".
std::string TakeText(const Take& take);
