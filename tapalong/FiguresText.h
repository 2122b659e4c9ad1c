#pragma once

#include <cstddef>
#include <string>

#include "tapalong/TakeFigures.h"

// The figures of a take as plain text, what a screen reader reads out. Milliseconds have one
// decimal and the mean always its sign, with early or late in words; the decimal point is a
// point whatever the locale.

// "12 hits, 1 miss, 2 extras; mean +12.3 ms (late), spread 8.1 ms; within 15 ms 63%, 30 ms
// 94%, 50 ms 100%", with ", 3 masked" after the extras when there are any; "no hits yet" and
// any misses and extras before the first hit.
std::string SummaryText(const TakeFigures& figures);
// "sounding loops: 40 hits, mean ... ms (...), spread ... ms; silent loops: no hits".
std::string SplitText(const TakeFigures& figures);
// "stroke 2: 12 hits, mean -4.0 ms (early), spread 5.5 ms" for stroke `index` of the plan,
// counted from 1 in the text; empty for an index the plan does not have.
std::string StrokeText(const TakeFigures& figures, std::size_t index);
// An offset as the figures read it: "+12.3 ms (late)", "-4.0 ms (early)", "+0.0 ms (on time)".
std::string OffsetText(double offsetMs);
// A value with one decimal, rounded half away from zero, never "-0.0"; with `sign`, a plus
// before zero and above.
std::string OneDecimalText(double value, bool sign);
