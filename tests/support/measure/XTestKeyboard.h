#pragma once

#include <chrono>
#include <memory>
#include <string>

// Types keys on an X server through its XTEST extension, from this process, as a keyboard
// would: into whichever window has the focus. Unlike a tool started for each key, it knows
// to the X server's round trip when the key went in.
class XTestKeyboard {
 public:
  using Clock = std::chrono::steady_clock;

  explicit XTestKeyboard(const std::string& display);
  ~XTestKeyboard();
  XTestKeyboard(const XTestKeyboard&) = delete;
  XTestKeyboard& operator=(const XTestKeyboard&) = delete;

  bool Ready() const { return display_ != nullptr; }

  struct Press {
    Clock::time_point sent;            // just before the key went to the server
    std::chrono::duration<double> in;  // until the server had taken it
    // When the server took it, by its own clock: the time it stamped on the press, heard
    // through the RECORD extension, to the millisecond, on the monotonic clock (as X servers
    // on Linux keep it); the round trip's end if the server has no RECORD.
    Clock::time_point taken;
  };
  // Presses and releases the space bar.
  Press Space() { return Tap(Key::kSpace); }
  enum class Key { kSpace, kJ };
  // Presses `key` and, once the server has taken the press, releases it.
  Press Tap(Key key);

 private:
  struct Connection;
  std::unique_ptr<Connection> display_;
};
