#include "support/measure/DesktopSession.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <charconv>
#include <sstream>
#include <string_view>

namespace {

// Reads what Xvfb writes to -displayfd: its display number and a newline.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  pollfd readable{fd, POLLIN, 0};
  char c = 0;
  while (poll(&readable, 1, 10000) == 1 && read(fd, &c, 1) == 1 && c != '\n') number += c;
  return c == '\n' ? number : std::string();
}

}  // namespace

DesktopSession::DesktopSession(const std::string& program) {
  if (!StartServer()) return;
  ChildProcess::Options options;
  options.setEnvironment = {{"DISPLAY", display_}};
  options.unsetEnvironment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"};
  if (!program_.Start({program}, options)) {
    failure_ = "could not start " + program;
    return;
  }
  FindWindow(program);
}

bool DesktopSession::StartServer() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    failure_ = "no pipe for Xvfb";
    return false;
  }
  ChildProcess::Options options;
  options.passFd = fds[1];
  options.silent = true;
  server_.Start({"Xvfb", "-displayfd", std::to_string(ChildProcess::kPassedFd), "-screen", "0",
                 "800x600x24", "-nolisten", "tcp"},
                options);
  close(fds[1]);
  const std::string number = server_.Started() ? ReadDisplayNumber(fds[0]) : std::string();
  close(fds[0]);
  if (number.empty()) {
    failure_ = "Xvfb did not start";
    return false;
  }
  display_ = ":" + number;
  return true;
}

bool DesktopSession::FindWindow(const std::string& program) {
  std::string found;
  if (!Xdotool({"search", "--sync", "--onlyvisible", "--pid", std::to_string(program_.Pid()),
                "--name", "^Tocolo$"},
               &found) ||
      found.empty()) {
    failure_ = "no window titled Tocolo from " + program;
    return false;
  }
  window_ = found.substr(0, found.find('\n'));
  std::string geometry;
  if (!Xdotool({"windowfocus", "--sync", window_}) ||
      !Xdotool({"getwindowgeometry", "--shell", window_}, &geometry)) {
    failure_ = "could not focus the window";
    return false;
  }
  std::istringstream lines(geometry);
  for (std::string line; std::getline(lines, line);) {
    const std::string_view text(line);
    auto parse = [&](std::string_view name, int& field) {
      if (text.starts_with(name))
        std::from_chars(text.data() + name.size(), text.data() + text.size(), field);
    };
    parse("WIDTH=", width_);
    parse("HEIGHT=", height_);
  }
  if (width_ <= 0 || height_ <= 0) failure_ = "the window has no size";
  return Ready();
}

bool DesktopSession::Xdotool(const std::vector<std::string>& args, std::string* output) const {
  // Only the waiting commands need a time limit; the others start without one in front.
  const bool waits = args[0] == "search" || args[0] == "windowfocus";
  std::vector<std::string> argv = waits ? std::vector<std::string>{"timeout", "10", "xdotool"}
                                        : std::vector<std::string>{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess::Options options;
  options.setEnvironment = {{"DISPLAY", display_}};
  const ChildProcess::Result result = ChildProcess::Run(argv, options);
  if (output != nullptr) *output = result.output;
  return result.status == 0;
}

DesktopSession::Clock::time_point DesktopSession::Key(const std::string& keys) {
  // Without --window xdotool types through XTEST, as a keyboard would, into the focused window.
  std::vector<std::string> args = {"key"};
  std::istringstream names(keys);
  for (std::string name; names >> name;) args.push_back(name);
  const auto sent = Clock::now();
  Xdotool(args);
  return sent;
}

DesktopSession::Clock::time_point DesktopSession::Click(int x, int y) {
  const auto sent = Clock::now();
  Xdotool({"mousemove", "--window", window_, std::to_string(x * width_ / kWidthUnits),
           std::to_string(y * height_ / kHeightUnits), "click", "1"});
  return sent;
}
