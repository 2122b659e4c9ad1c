// The program's dialog templates.
#include <algorithm>
#include <array>

#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"

namespace {

constexpr auto kStartsGroupWithTabStop = kStyleGroup | kStyleTabStop;

// The About box.
constexpr ControlTemplate kAboutControls[] = {
    {ControlKind::Icon, -1, "", {11, 17, 18, 21}, 0, IDR_MAINFRAME},
    {ControlKind::Static, -1, "Tocolo ver. 1.0", {40, 10, 119, 8}, kStyleNoPrefix | kStyleGroup},
    {ControlKind::DefPushButton, IDOK, "OK", {161, 7, 50, 14}, kStartsGroupWithTabStop},
    {ControlKind::Static,
     IDC_ABOUT_LABEL,
     "",
     {103, 38, 108, 11},
     kStyleNotify | kStartsGroupWithTabStop},
};

// The main window: pattern, tone and tempo, START/STOP, About and Bye.
constexpr ControlTemplate kMainControls[] = {
    {ControlKind::GroupBox, -1, "Pattern", {8, 7, 63, 70}},
    {ControlKind::AutoRadio, IDC_PATTERN23, "2-3", {15, 23, 26, 10}, kStyleGroup},
    {ControlKind::AutoRadio, IDC_PATTERN32, "3-2 (rumba)", {15, 40, 51, 10}},
    {ControlKind::AutoRadio, IDC_PATTERN68, "6/8", {15, 58, 26, 10}},
    {ControlKind::GroupBox, -1, "Tone", {79, 7, 61, 70}},
    {ControlKind::AutoRadio, IDC_CLAVES, "Claves", {84, 23, 36, 10}, kStyleGroup},
    {ControlKind::AutoRadio, IDC_HANDCLAP, "Hand Clap", {84, 40, 46, 10}},
    {ControlKind::AutoRadio, IDC_COWBELL, "Cowbell", {84, 58, 39, 10}},
    {ControlKind::Static, -1, "100", {11, 79, 14, 12}, kStyleGroup},
    {ControlKind::Static, -1, "300", {129, 79, 14, 12}, kStyleGroup},
    {ControlKind::Trackbar,
     IDC_SLIDER,
     "Slider1",
     {7, 89, 136, 21},
     kStyleTabStop | kStyleAutoTicks | kStyleTicksTop},
    {ControlKind::Static, IDC_TEMPO, "Static", {57, 114, 44, 12}, kStyleGroup},
    {ControlKind::OwnerDraw, IDC_START, "START", {66, 132, 33, 24}, kStyleTabStop},
    {ControlKind::OwnerDraw, IDC_STOP, "STOP", {105, 132, 32, 23}, kStyleTabStop},
    {ControlKind::DefPushButton, IDOK, "Bye", {7, 154, 33, 14}, kStyleTabStop},
    {ControlKind::DefPushButton, IDC_ABOUT, "About..", {7, 132, 33, 14}, kStyleTabStop},
};

constexpr std::string_view kFont = "ＭＳ Ｐゴシック";

constexpr std::array kDialogs = {
    DialogTemplate{IDD_ABOUTBOX,
                   {0, 0, 218, 56},
                   "About Tocolo",
                   kFont,
                   9,
                   kDialogPopup | kDialogCaption | kDialogSysMenu | kDialogModalFrame,
                   kAboutControls},
    DialogTemplate{IDD_TOCOLO_DIALOG,
                   {0, 0, 151, 183},
                   "Tocolo",
                   kFont,
                   9,
                   kDialogPopup | kDialogVisible | kDialogCaption | kDialogSysMenu |
                       kDialogModalFrame | kDialogAppWindow,
                   kMainControls},
};

// What the window code relies on, checked where the tables are written.
constexpr bool IsWellFormed(const DialogTemplate& d) {
  if (d.rect.width <= 0 || d.rect.height <= 0 || d.fontPoints < 0) return false;
  for (std::size_t i = 0; i < d.controls.size(); ++i) {
    const ControlTemplate& c = d.controls[i];
    if (c.rect.width <= 0 || c.rect.height <= 0) return false;
    if (c.rect.x + c.rect.width > d.rect.width || c.rect.y + c.rect.height > d.rect.height)
      return false;
    if ((c.kind == ControlKind::Icon) != (c.iconId != 0)) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (c.id != -1 && d.controls[j].id == c.id) return false;
    }
  }
  return true;
}
static_assert(std::all_of(kDialogs.begin(), kDialogs.end(), IsWellFormed),
              "a dialog template has a control outside the dialog, an id twice or a bad size");

}  // namespace

namespace res {

const DialogTemplate* FindDialogTemplate(int id) {
  const auto it = std::find_if(kDialogs.begin(), kDialogs.end(),
                               [id](const DialogTemplate& d) { return d.id == id; });
  return it == kDialogs.end() ? nullptr : &*it;
}

}  // namespace res
