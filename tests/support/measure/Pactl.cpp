#include "support/measure/Pactl.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <string_view>

#include "support/measure/ChildProcess.h"

namespace pactl {
namespace {

// The value of a line `name = "value"` of pactl's listing, if `line` is one.
std::optional<std::string_view> PropertyValue(std::string_view line, std::string_view name) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return std::nullopt;
  line.remove_prefix(start);
  if (!line.starts_with(name) || !line.substr(name.size()).starts_with(" = \"") ||
      !line.ends_with('"')) {
    return std::nullopt;
  }
  line.remove_prefix(name.size() + 4);
  line.remove_suffix(1);
  return line;
}

std::optional<std::string> FirstLine(std::optional<std::string> output) {
  if (output) output->erase(std::min(output->size(), output->find('\n')));
  return output;
}

}  // namespace

std::optional<std::string> Run(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"pactl"};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess::Result result = ChildProcess::Run(argv, {});
  if (result.status != 0) return std::nullopt;
  return std::move(result.output);
}

std::vector<PlaybackStream> PlaybackStreamsOf(pid_t pid) {
  std::vector<PlaybackStream> streams;
  const std::optional<std::string> listing = Run({"list", "sink-inputs"});
  if (!listing) return streams;
  // Each stream's block starts with "Sink Input #"; its state and then its properties follow
  // one a line.
  std::istringstream lines(*listing);
  bool ours = false;
  bool counted = false;
  PlaybackStream stream;
  auto endStream = [&] {
    if (ours && counted) streams.push_back(stream);
    ours = counted = false;
    stream = {};
  };
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("Sink Input #")) endStream();
    if (line.find("Corked: yes") != std::string::npos) stream.corked = true;
    if (auto value = PropertyValue(line, "application.process.id")) {
      ours = *value == std::to_string(pid);
    } else if (auto count = PropertyValue(line, "tocolo.underruns")) {
      counted =
          std::from_chars(count->data(), count->data() + count->size(), stream.underruns).ec ==
          std::errc{};
    }
  }
  endStream();
  return streams;
}

std::vector<std::uint64_t> UnderrunsOf(pid_t pid) {
  std::vector<std::uint64_t> counts;
  for (const PlaybackStream& stream : PlaybackStreamsOf(pid)) counts.push_back(stream.underruns);
  return counts;
}

std::optional<std::size_t> RecordingStreamsOf(pid_t pid) {
  const std::optional<std::string> listing = Run({"list", "source-outputs"});
  if (!listing) return std::nullopt;
  std::size_t streams = 0;
  std::istringstream lines(*listing);
  for (std::string line; std::getline(lines, line);) {
    const auto value = PropertyValue(line, "application.process.id");
    if (value && *value == std::to_string(pid)) ++streams;
  }
  return streams;
}

std::optional<std::string> LoadNullSink(const std::string& name) {
  return FirstLine(Run({"load-module", "module-null-sink", "sink_name=" + name, "rate=44100",
                        "channels=1", "format=s16le"}));
}

bool HasSink(const std::string& name) {
  std::istringstream lines(Run({"list", "short", "sinks"}).value_or(""));
  for (std::string index, sink, rest; lines >> index >> sink && std::getline(lines, rest);) {
    if (sink == name) return true;
  }
  return false;
}

std::optional<std::string> DefaultSink() {
  return FirstLine(Run({"get-default-sink"}));
}

std::optional<std::string> DefaultSource() {
  return FirstLine(Run({"get-default-source"}));
}

}  // namespace pactl
