#include "support/measure/XTestKeyboard.h"

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

XTestKeyboard::Press XTestKeyboard::Tap(Key key) {
  Display* d = display_->display;
  const KeyCode code = XKeysymToKeycode(d, key == Key::kSpace ? XK_space : XK_j);
  const Clock::time_point sent = Clock::now();
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XSync(d, False);
  const Press press{sent, Clock::now() - sent};
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  XSync(d, False);
  return press;
}
