#pragma once

#include <string_view>

// The one message the engine can put in front of the user. The window layer installs a real
// message box; until then, and in tests that install none, the message goes to stderr.
using MessageBoxHook = void (*)(std::string_view text, std::string_view caption);

// Installs `hook` (nullptr restores the default) and returns the one it replaces.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Shows `text` under `caption` with OK and Cancel; the answer is not needed by any caller.
void ShowMessageBox(std::string_view text, std::string_view caption);
