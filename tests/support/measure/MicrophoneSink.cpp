#include "support/measure/MicrophoneSink.h"

#include "support/measure/Pactl.h"

MicrophoneSink::MicrophoneSink(const std::string& name)
    : name_(name), previousSink_(pactl::DefaultSink()), previousSource_(pactl::DefaultSource()) {
  // The server would give a second sink of the name another, and the monitor named here
  // would be the first one's: one left by a test that was killed, say.
  if (pactl::HasSink(name_)) return;
  module_ = pactl::LoadNullSink(name_);
  // The program goes on playing where it did, whatever the server makes of a new sink.
  ready_ = module_ && previousSink_ && pactl::Run({"set-default-sink", *previousSink_}) &&
           pactl::Run({"set-default-source", Monitor()});
}

MicrophoneSink::~MicrophoneSink() {
  // Put back first: with the sink gone the server would choose a default of its own.
  if (previousSource_) pactl::Run({"set-default-source", *previousSource_});
  if (module_) pactl::Run({"unload-module", *module_});
}
