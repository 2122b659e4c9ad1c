#pragma once

#include <cstddef>

#include "support/measure/ParecRecorder.h"

// When recorded samples were played, as far as their arrival from parec tells.

// The first sample that arrived at or after `t`: nothing played after `t` lies before it.
inline std::size_t FirstSampleArrivingAfter(const ParecRecorder& recorder,
                                            ParecRecorder::Clock::time_point t) {
  std::size_t low = 0;
  std::size_t high = recorder.samples().size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (recorder.ArrivalOf(mid) < t) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

// How many pieces the recording arrived in: its time resolution is samples / pieces.
inline std::size_t PiecesArrived(const ParecRecorder& recorder) {
  std::size_t pieces = 0;
  auto last = ParecRecorder::Clock::time_point::min();
  for (std::size_t i = 0; i < recorder.samples().size(); ++i) {
    const auto arrival = recorder.ArrivalOf(i);
    if (arrival != last) ++pieces;
    last = arrival;
  }
  return pieces;
}
