#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// A dialog described as data, in dialog units, the way windows are laid out in a classic
// dialog-based desktop program. The templates are C++ tables (Dialogs.cpp), so the compiler
// checks every entry and nothing is parsed at run time.

enum class ControlKind {
  GroupBox,
  AutoRadio,
  PushButton,
  DefPushButton,
  OwnerDraw,
  Static,
  Icon,
  Trackbar
};

enum ControlStyle : std::uint32_t {
  kStyleGroup = 1,  // starts a group: ends the radio buttons' exclusive set before it
  kStyleTabStop = 2,
  kStyleAutoTicks = 4,  // trackbar: a tick at every position
  kStyleTicksTop = 8,   // trackbar: ticks above the groove
  kStyleNoPrefix = 16,  // static: '&' is shown, not a mnemonic
  kStyleNotify = 32,    // static: clicks are reported
};

enum DialogStyle : std::uint32_t {
  kDialogPopup = 1,
  kDialogVisible = 2,
  kDialogCaption = 4,
  kDialogSysMenu = 8,
  kDialogModalFrame = 16,
  kDialogAppWindow = 32,  // listed in the task bar
};

struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend constexpr bool operator==(const DialogRect&, const DialogRect&) = default;
};

struct ControlTemplate {
  ControlKind kind = ControlKind::Static;
  int id = -1;            // -1 for controls the program never addresses
  std::string_view text;  // UTF-8
  DialogRect rect;
  std::uint32_t styles = 0;
  int iconId = 0;  // the icon resource an Icon control shows
};

struct DialogTemplate {
  int id = 0;
  DialogRect rect;  // x and y are 0
  std::string_view caption;
  std::string_view fontName;  // empty: the application font
  int fontPoints = 0;
  std::uint32_t styles = 0;
  std::span<const ControlTemplate> controls;  // in tab order
};

namespace res {

// The template compiled into the executable under this id; null when there is none.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace res
