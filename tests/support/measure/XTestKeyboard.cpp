#include "support/measure/XTestKeyboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdint>

struct XTestKeyboard::Connection {
  explicit Connection(Display* d)
      : display(d),
        stamps(XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0)),
        stamp(XInternAtom(d, "TOCOLO_TEST_STAMP", False)) {
    XSelectInput(d, stamps, PropertyChangeMask);
  }
  ~Connection() {
    XDestroyWindow(display, stamps);
    XCloseDisplay(display);
  }
  // The server's time now: it stamps the change of a property of ours with it.
  Clock::time_point ServerTime() {
    XChangeProperty(display, stamps, stamp, XA_INTEGER, 32, PropModeReplace, nullptr, 0);
    XEvent event;
    XWindowEvent(display, stamps, PropertyChangeMask, &event);
    // The stamp is the monotonic clock's milliseconds in 32 bits: unwrapped against ours.
    const auto ours =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    const auto behind = static_cast<std::int32_t>(static_cast<std::uint32_t>(ours.count()) -
                                                  static_cast<std::uint32_t>(event.xproperty.time));
    return Clock::time_point(ours - std::chrono::milliseconds(behind)) +
           std::chrono::microseconds(500);  // within the millisecond it names
  }
  Display* display;
  Window stamps;
  Atom stamp;
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
  Press press{sent, Clock::now() - sent, {}};
  press.taken = display_->ServerTime();
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  XSync(d, False);
  return press;
}
