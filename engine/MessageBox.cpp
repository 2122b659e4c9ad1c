#include "engine/MessageBox.h"

#include <cstdio>

namespace {

void WriteToStderr(std::string_view text, std::string_view caption) {
  std::fprintf(stderr, "tocolo: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}

MessageBoxHook g_hook = &WriteToStderr;

}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook previous = g_hook;
  g_hook = hook != nullptr ? hook : &WriteToStderr;
  return previous;
}

void ShowMessageBox(std::string_view text, std::string_view caption) {
  g_hook(text, caption);
}
