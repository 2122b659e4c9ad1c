#include "audio/WaveDevice.h"

std::uint32_t FramesOf(const WaveHeader& header, const WaveFormat& format) {
  // A trailing partial frame (an odd byte count at 16 bits) is not played.
  return format.blockAlign == 0 ? 0 : header.bufferLength / format.blockAlign;
}

std::uint32_t LoopsOf(const WaveHeader& header) {
  constexpr std::uint32_t kLoopFlags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
  if ((header.flags & kLoopFlags) != kLoopFlags) return 1;
  return header.loops == 0 ? 1 : header.loops;
}

void StartCursor(LoopCursor& cursor, const WaveHeader& header, const WaveFormat& format) {
  cursor.Start(header.data, FramesOf(header, format), LoopsOf(header), header.silentCycle);
}
