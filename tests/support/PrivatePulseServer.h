#pragma once

#include <cstdlib>
#include <string>

// Starts or stops the suite's private PulseAudio server, always on the same socket.
inline bool PulseServer(const char* action) {
  const std::string command =
      std::string(TOCOLO_PULSE_SCRIPT) + " " + action + " " + TOCOLO_PULSE_DIR + " >/dev/null";
  return std::system(command.c_str()) == 0;
}
