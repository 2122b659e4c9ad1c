#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "support/measure/ChildProcess.h"

// The built program as a user meets it: on an X server of its own (Xvfb), its window found
// and focused, driven with xdotool by keys and clicks. The sound goes wherever the
// environment's PULSE_SERVER says.
class DesktopSession {
 public:
  using Clock = std::chrono::steady_clock;

  explicit DesktopSession(const std::string& program);
  ~DesktopSession() = default;  // the program goes first, then its X server
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // True once the window is up and has the keyboard; otherwise Failure() says what is wrong.
  bool Ready() const { return failure_.empty(); }
  const std::string& Failure() const { return failure_; }

  // Types keys (xdotool names, e.g. "space" or "Tab Tab Right") into the window. Both return
  // the moment xdotool was started: the event reaches the X server a few ms later, so a
  // latency measured from it is an upper bound.
  Clock::time_point Key(const std::string& keys);
  // Clicks at a point given in the window's dialog units.
  Clock::time_point Click(int x, int y);
  // The X display the program is on, as DISPLAY names it.
  const std::string& DisplayName() const { return display_; }
  // The program's process, while it runs.
  pid_t ProgramPid() const { return program_.Pid(); }
  bool ProgramRunning() { return program_.Running(); }

  // The main window's size in dialog units.
  static constexpr int kWidthUnits = 151;
  static constexpr int kHeightUnits = 183;

 private:
  bool StartServer();
  bool FindWindow(const std::string& program);
  bool Xdotool(const std::vector<std::string>& args, std::string* output = nullptr) const;

  std::string failure_;
  std::string display_;
  ChildProcess server_;
  ChildProcess program_;  // declared after the server, so ended before it
  std::string window_;
  int width_ = 0;
  int height_ = 0;
};
