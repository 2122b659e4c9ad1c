#pragma once

#include <chrono>
#include <optional>
#include <string>

// What a program on the X server `display` has put on the clipboard, as UTF-8 text; nullopt
// if nothing is there or its owner does not answer within `timeout`.
std::optional<std::string> ReadClipboard(const std::string& display,
                                         std::chrono::milliseconds timeout);
