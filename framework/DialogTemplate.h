#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A dialog described as data, in dialog units, the way windows are laid out in a classic
// dialog-based desktop program. The text form, one statement a line:
//
//   DIALOG <id> <width> <height>              first statement
//   CAPTION "<text>"                          at most once
//   FONT <points> "<face>"                    at most once
//   STYLE <dialog style>...                   at most once
//   CONTROL <kind> <id> "<text>" <x> <y> <width> <height> [<control style>...]
//   END                                       last statement
//
// Tokens are separated by blanks; strings are double-quoted UTF-8 with \" and \\ as the only
// escapes; '#' at the start of a token comments out the rest of the line. Keywords are upper
// case. An ICON control's text is the decimal id of the icon resource it shows.

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

// Keywords: GROUP TABSTOP AUTOTICKS TICKSTOP NOPREFIX NOTIFY. The tick styles belong to
// TRACKBAR only, NOPREFIX to STATIC, NOTIFY to STATIC and ICON.
enum ControlStyle : std::uint32_t {
  kStyleGroup = 1,
  kStyleTabStop = 2,
  kStyleAutoTicks = 4,
  kStyleTicksTop = 8,
  kStyleNoPrefix = 16,
  kStyleNotify = 32,
};

// Keywords: POPUP VISIBLE CAPTION SYSMENU MODALFRAME APPWINDOW.
enum DialogStyle : std::uint32_t {
  kDialogPopup = 1,
  kDialogVisible = 2,
  kDialogCaption = 4,
  kDialogSysMenu = 8,
  kDialogModalFrame = 16,
  kDialogAppWindow = 32,
};

struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

struct ControlTemplate {
  ControlKind kind = ControlKind::Static;
  int id = -1;  // -1 for controls the program never addresses
  std::string text;
  DialogRect rect;
  std::uint32_t styles = 0;
};

struct DialogTemplate {
  int id = 0;
  DialogRect rect;  // x and y are 0
  std::string caption;
  std::string fontName;  // empty without a FONT statement
  int fontPoints = 0;
  std::uint32_t styles = 0;
  std::vector<ControlTemplate> controls;  // in tab order
};

// Ranges a template may use; anything outside them is rejected.
inline constexpr int kMaxDialogCoordinate = 32767;
inline constexpr int kMaxResourceId = 65535;
inline constexpr int kMaxFontPoints = 72;

// The template in `text`; nullopt when it is malformed in any way: invalid UTF-8, an
// unknown keyword, kind or style, a style on a kind it does not apply to, a missing, extra
// or out-of-range field, a statement repeated or out of place, a control id other than -1
// used twice, or no END.
std::optional<DialogTemplate> ParseDialogTemplate(std::string_view text);

// The template compiled into the executable under this id; nullopt when missing, malformed
// or declaring another id.
std::optional<DialogTemplate> LoadDialogTemplate(int id);
