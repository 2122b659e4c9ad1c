#include "XTestKeyboard.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

struct XTestKeyboard::Connection {
  explicit Connection(Display* d) : display(d) {}
  ~Connection() { XCloseDisplay(display); }
  Display* display;
};

XTestKeyboard::XTestKeyboard(const std::string& display) {
  if (Display* d = XOpenDisplay(display.c_str())) display_ = std::make_unique<Connection>(d);
}

XTestKeyboard::~XTestKeyboard() = default;

XTestKeyboard::Press XTestKeyboard::Space() {
  Display* d = display_->display;
  const KeyCode space = XKeysymToKeycode(d, XK_space);
  const Clock::time_point sent = Clock::now();
  XTestFakeKeyEvent(d, space, True, CurrentTime);
  XTestFakeKeyEvent(d, space, False, CurrentTime);
  XSync(d, False);
  return {sent, Clock::now() - sent};
}
