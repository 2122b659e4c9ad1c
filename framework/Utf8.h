#pragma once

#include <QString>
#include <string_view>

// Text from the lower layers, which is UTF-8 and not necessarily terminated.
inline QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
