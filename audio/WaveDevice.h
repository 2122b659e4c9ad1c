#pragma once

#include <functional>
#include <optional>
#include <string>

#include "audio/LoopClock.h"
#include "audio/LoopCursor.h"
#include "audio/WaveFormat.h"

// An open output device that loops one buffer in the background.
class WaveDevice {
 public:
  virtual ~WaveDevice() = default;

  // Plays the header's buffer from its first sample, replacing whatever played before. The
  // buffer is read in place until Reset. Looped `loops` times when both loop flags are set,
  // else once. Returns false, changing nothing, when the device cannot play.
  virtual bool Write(const WaveHeader& header) = 0;

  // Silences the device at once. When it returns, nothing reads the last written buffer.
  virtual bool Reset() = 0;

  // True while there is no output to hear: it could not be opened, or it went away (its
  // sound server died, say). Nothing written is heard until the device is opened again.
  virtual bool Lost() const { return false; }

  // True once every repetition of the last Write has been heard: the output has fallen
  // silent by itself. False again after the next Write or Reset.
  virtual bool PlayedOut() const { return false; }

  // Whom to tell when the output stops by itself: its last repetition has been heard, or it
  // went away while playing. Told on the device's own thread, perhaps with the device's lock
  // held, so it must return at once and call nothing on the device: it is there to wake
  // whoever shows the output's state. An empty function tells no one.
  virtual void SetStoppedListener(std::function<void()> listener) = 0;

  // When the loop now playing is heard, once the device knows (soon after a Write); nullopt
  // while nothing plays, or where the device cannot tell: then no figure may be built on it.
  virtual std::optional<LoopClock> HeardClock() const { return std::nullopt; }
  // While wanted, the device keeps its clock fresh while playing (the sound server's clock
  // drifts from the computer's); when not, it does nothing for it.
  virtual void SetClockWanted(bool /*wanted*/) {}

  // The name of the sound server's sink the output plays to, where there is one.
  virtual std::string SinkName() const { return {}; }

  // How often the output ran dry while playing, each time putting silence into the loop and
  // shifting every later stroke; 0 where the device cannot tell.
  virtual std::uint64_t Underruns() const { return 0; }
};

// Whole frames in a header's buffer, and how often they play, for a device of this format.
std::uint32_t FramesOf(const WaveHeader& header, const WaveFormat& format);
std::uint32_t LoopsOf(const WaveHeader& header);
// Starts `cursor` on what the header describes.
void StartCursor(LoopCursor& cursor, const WaveHeader& header, const WaveFormat& format);
