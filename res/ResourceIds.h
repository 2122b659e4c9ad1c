#pragma once

// Every resource, control and command id of the program, written once: the dialog tables,
// the resource list in CMakeLists.txt (which reads the image ids from here), the engine and
// the windows all use these names. The practice aids' commands stand in their own table.

// Commands every dialog knows.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Dialog templates and the string resource of the system menu's About item.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_TOCOLO_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;  // the icon

// START and STOP bitmaps: normal, selected, focused, disabled.
inline constexpr int IDB_START_NORMAL = 131;
inline constexpr int IDB_START_DISABLED = 132;
inline constexpr int IDB_START_FOCUSED = 133;
inline constexpr int IDB_START_SELECTED = 134;
inline constexpr int IDB_STOP_DISABLED = 145;
inline constexpr int IDB_STOP_FOCUSED = 146;
inline constexpr int IDB_STOP_NORMAL = 147;
inline constexpr int IDB_STOP_SELECTED = 148;

// The tones, and the beat's click.
inline constexpr int IDR_WAVE_CLAVES = 149;
inline constexpr int IDR_WAVE_COWBELL = 152;
inline constexpr int IDR_WAVE_HANDCLAP = 154;
inline constexpr int IDR_WAVE_CLICK = 155;

// Controls.
inline constexpr int IDC_ABOUT = 3;
inline constexpr int IDC_START = 22;
inline constexpr int IDC_STOP = 23;
inline constexpr int IDC_SLIDER = 1000;
inline constexpr int IDC_CLAVES = 1004;
inline constexpr int IDC_HANDCLAP = 1005;
inline constexpr int IDC_COWBELL = 1006;
inline constexpr int IDC_PATTERN23 = 1007;
inline constexpr int IDC_PATTERN32 = 1008;
inline constexpr int IDC_PATTERN68 = 1009;
inline constexpr int IDC_TEMPO = 1010;
inline constexpr int IDC_ABOUT_LABEL = 1022;

// The About item of the system menu. System commands keep their low four bits clear; the
// practice aids' items take the commands after it, in their table (app/PracticeAid.h), and
// the item that opens the tap-along window the next one after theirs.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
inline constexpr unsigned IDM_TAPALONG = 0x0060;
