#include "support/measure/X11Clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>
#include <thread>

namespace {

using DisplayConnection = std::unique_ptr<Display, int (*)(Display*)>;

}  // namespace

std::optional<std::string> ReadClipboard(const std::string& display,
                                         std::chrono::milliseconds timeout) {
  const DisplayConnection connection(XOpenDisplay(display.c_str()), &XCloseDisplay);
  Display* d = connection.get();
  if (d == nullptr) return std::nullopt;
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  const Atom into = XInternAtom(d, "TOCOLO_TEST_CLIPBOARD", False);
  // The owner answers by putting the text on a window of ours and telling us so.
  const Window window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XConvertSelection(d, clipboard, utf8, into, window, CurrentTime);
  XFlush(d);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::optional<std::string> text;
  while (std::chrono::steady_clock::now() < deadline) {
    XEvent event;
    if (XCheckTypedWindowEvent(d, window, SelectionNotify, &event) == False) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    if (event.xselection.property == None) break;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, into, 0, 1 << 24, True, AnyPropertyType, &type, &format,
                           &items, &left, &data) == Success &&
        data != nullptr) {
      text.emplace(reinterpret_cast<const char*>(data), items);
      XFree(data);
    }
    break;
  }
  XDestroyWindow(d, window);
  return text;
}
