#pragma once

#include <functional>
#include <span>

#include "framework/Afx.h"

class CDialog;

// What a message map entry answers to.
enum class MessageKind { SysCommand, Paint, QueryDragIcon, Notify, Clicked };

// A message on its way to a handler.
struct Message {
  MessageKind kind;
  int controlId = 0;
  int code = 0;
  unsigned command = 0;     // SysCommand: the command id
  NMHDR* header = nullptr;  // Notify
  long* result = nullptr;   // Notify
};

// One row of a dialog's message map: which message, from which control, goes to which
// handler. A dialog's rows are searched in order and the first that matches handles it.
struct MessageMapEntry {
  MessageKind kind;
  int controlId = 0;
  int code = 0;
  std::function<void(CDialog&, Message&)> handler;

  bool Matches(const Message& m) const {
    return m.kind == kind && m.controlId == controlId && m.code == code;
  }
};

using MessageMap = std::span<const MessageMapEntry>;

template <class Dialog>
MessageMapEntry OnSysCommandEntry(void (Dialog::*handler)(unsigned, long)) {
  return {MessageKind::SysCommand, 0, 0,
          [handler](CDialog& d, Message& m) { (static_cast<Dialog&>(d).*handler)(m.command, 0); }};
}

template <class Dialog>
MessageMapEntry OnPaintEntry(void (Dialog::*handler)()) {
  return {MessageKind::Paint, 0, 0,
          [handler](CDialog& d, Message&) { (static_cast<Dialog&>(d).*handler)(); }};
}

template <class Dialog, class Icon>
MessageMapEntry OnQueryDragIconEntry(Icon (Dialog::*handler)()) {
  return {MessageKind::QueryDragIcon, 0, 0,
          [handler](CDialog& d, Message&) { (static_cast<Dialog&>(d).*handler)(); }};
}

template <class Dialog>
MessageMapEntry OnNotifyEntry(int code, int controlId, void (Dialog::*handler)(NMHDR*, long*)) {
  return {MessageKind::Notify, controlId, code, [handler](CDialog& d, Message& m) {
            (static_cast<Dialog&>(d).*handler)(m.header, m.result);
          }};
}

template <class Dialog>
MessageMapEntry OnClickedEntry(int controlId, void (Dialog::*handler)()) {
  return {MessageKind::Clicked, controlId, 0,
          [handler](CDialog& d, Message&) { (static_cast<Dialog&>(d).*handler)(); }};
}
