#pragma once

#include <optional>
#include <string>

// A 44.1 kHz 16-bit mono null sink, loaded for as long as this lives, whose monitor is the
// server's default source: whatever is played into the sink is what a program records from
// its microphone. The default sink stays what it was. When this goes, the default source is
// what it was before and the sink is unloaded.
class MicrophoneSink {
 public:
  explicit MicrophoneSink(const std::string& name);
  ~MicrophoneSink();
  MicrophoneSink(const MicrophoneSink&) = delete;
  MicrophoneSink& operator=(const MicrophoneSink&) = delete;

  // True once the sink is loaded and its monitor is the default source; never if the server
  // already had a sink of the name.
  bool Ready() const { return ready_; }
  const std::string& Name() const { return name_; }
  std::string Monitor() const { return name_ + ".monitor"; }

 private:
  std::string name_;
  std::optional<std::string> module_;
  std::optional<std::string> previousSink_;
  std::optional<std::string> previousSource_;
  bool ready_ = false;
};
