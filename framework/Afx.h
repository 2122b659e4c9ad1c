#pragma once

// Identifiers and records of the classic dialog platform that the windows are written
// against, with the values that platform gives them.

#include "res/ResourceIds.h"  // IDOK, IDCANCEL

// Window messages the dialog layer delivers.
inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_SYSKEYDOWN = 0x0104;

// Virtual keys.
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F4 = 0x73;

// Standard commands.
inline constexpr unsigned ID_HELP = 0xE146;  // 57670

// System commands.
inline constexpr unsigned SC_CLOSE = 0xF060;

// Menu item kinds.
inline constexpr unsigned MF_STRING = 0x0000;
inline constexpr unsigned MF_SEPARATOR = 0x0800;
inline constexpr unsigned MF_BYCOMMAND = 0x0000;
inline constexpr unsigned MF_UNCHECKED = 0x0000;
inline constexpr unsigned MF_CHECKED = 0x0008;

// Control notifications.
inline constexpr int NM_CUSTOMDRAW = -12;
inline constexpr long CDRF_DODEFAULT = 0;

// A key press as the dialog sees it before the focused control does.
struct MSG {
  unsigned message = 0;
  int key = 0;  // a VK_ code, or Qt's key code for keys without one here
};

// The header of a control notification.
struct NMHDR {
  int idFrom = 0;
  int code = 0;
};
