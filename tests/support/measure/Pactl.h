#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The sound server that PULSE_SERVER names (PulseAudio, or PipeWire's pipewire-pulse), as
// pactl sees and changes it.
namespace pactl {

// Runs pactl with `args`: its output, or nullopt if it failed.
std::optional<std::string> Run(const std::vector<std::string>& args);

// What the server shows of each playback stream of process `pid`: the underrun count it
// publishes, and whether it is corked.
struct PlaybackStream {
  std::uint64_t underruns = 0;
  bool corked = false;
};
std::vector<PlaybackStream> PlaybackStreamsOf(pid_t pid);
std::vector<std::uint64_t> UnderrunsOf(pid_t pid);
// How many recording streams process `pid` has on the server; nullopt if pactl failed.
std::optional<std::size_t> RecordingStreamsOf(pid_t pid);

// Loads a 44.1 kHz 16-bit mono null sink named `name`: the module's index, or nullopt.
std::optional<std::string> LoadNullSink(const std::string& name);

// Whether the server has a sink named `name`.
bool HasSink(const std::string& name);

// The names of the default sink and source, or nullopt if the server does not say.
std::optional<std::string> DefaultSink();
std::optional<std::string> DefaultSource();

}  // namespace pactl
