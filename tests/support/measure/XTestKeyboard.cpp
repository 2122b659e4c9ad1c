#include "support/measure/XTestKeyboard.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>

#include <cstdint>
#include <optional>
#include <thread>

namespace {

// The X server's stamp of a key press as RECORD hands it over, and the key.
struct Stamped {
  std::optional<std::uint32_t> time;
  KeyCode key = 0;
  bool ended = false;  // the server has sent the last of the recording
};

void OnRecorded(XPointer closure, XRecordInterceptData* data) {
  auto* stamped = reinterpret_cast<Stamped*>(closure);
  if (data->category == XRecordFromServer && data->data != nullptr) {
    const auto* event = reinterpret_cast<const xEvent*>(data->data);
    if (event->u.u.type == KeyPress && event->u.u.detail == stamped->key)
      stamped->time = event->u.keyButtonPointer.time;
  }
  if (data->category == XRecordEndOfData) stamped->ended = true;
  XRecordFreeData(data);
}

}  // namespace

// Two connections: one types, and one hears, through the RECORD extension, every key press
// the server makes with the time it stamps on it.
struct XTestKeyboard::Connection {
  Connection(Display* typing, Display* recording) : display(typing), records(recording) {
    XRecordClientSpec clients = XRecordAllClients;
    XRecordRange* range = XRecordAllocRange();
    range->device_events.first = KeyPress;
    range->device_events.last = KeyPress;
    context = XRecordCreateContext(display, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(display, False);
    recording_ = context != 0 && XRecordEnableContextAsync(records, context, &OnRecorded,
                                                           reinterpret_cast<XPointer>(&stamped));
  }
  ~Connection() {
    // Until the server has sent the recording's end, the recording connection waits on it.
    if (recording_) {
      XRecordDisableContext(display, context);
      XFlush(display);
      const auto deadline = Clock::now() + std::chrono::seconds(1);
      while (!stamped.ended && Clock::now() < deadline) {
        XRecordProcessReplies(records);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    if (context != 0) XRecordFreeContext(display, context);
    XCloseDisplay(records);
    XCloseDisplay(display);
  }
  // When the server stamped the press of `key` just made, on the monotonic clock.
  std::optional<Clock::time_point> StampOf(KeyCode key) {
    stamped = {std::nullopt, key};
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (recording_ && !stamped.time && Clock::now() < deadline) {
      XRecordProcessReplies(records);
      if (!stamped.time) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (!stamped.time) return std::nullopt;
    // The stamp is the monotonic clock's milliseconds in 32 bits: unwrapped against ours.
    const auto ours =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    const auto behind =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(ours.count()) - *stamped.time);
    return Clock::time_point(ours - std::chrono::milliseconds(behind)) +
           std::chrono::microseconds(500);  // within the millisecond it names
  }

  Display* display;
  Display* records;
  XRecordContext context = 0;
  bool recording_ = false;
  Stamped stamped;
};

XTestKeyboard::XTestKeyboard(const std::string& display) {
  Display* typing = XOpenDisplay(display.c_str());
  Display* recording = XOpenDisplay(display.c_str());
  if (typing != nullptr && recording != nullptr) {
    display_ = std::make_unique<Connection>(typing, recording);
  } else {
    if (typing != nullptr) XCloseDisplay(typing);
    if (recording != nullptr) XCloseDisplay(recording);
  }
}

XTestKeyboard::~XTestKeyboard() = default;

XTestKeyboard::Press XTestKeyboard::Tap(Key key) {
  Display* d = display_->display;
  const KeyCode code = XKeysymToKeycode(d, key == Key::kSpace ? XK_space : XK_j);
  const Clock::time_point sent = Clock::now();
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XSync(d, False);
  Press press{sent, Clock::now() - sent, {}};
  press.taken = display_->StampOf(code).value_or(
      sent + std::chrono::duration_cast<Clock::duration>(press.in));
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  XSync(d, False);
  return press;
}
