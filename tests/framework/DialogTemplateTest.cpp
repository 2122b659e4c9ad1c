#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/DialogTemplate.h"
#include "res/Resources.h"

namespace {

using namespace std::string_literals;

std::vector<int> IdsOf(const DialogTemplate& t) {
  std::vector<int> ids;
  for (const ControlTemplate& c : t.controls) ids.push_back(c.id);
  return ids;
}

// Indices of the controls that carry `style`.
std::vector<std::size_t> IndicesWith(const DialogTemplate& t, std::uint32_t style) {
  std::vector<std::size_t> indices;
  for (std::size_t i = 0; i < t.controls.size(); ++i) {
    if (t.controls[i].styles & style) indices.push_back(i);
  }
  return indices;
}

res::Bytes BytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

constexpr std::string_view kDialogFont = "ＭＳ Ｐゴシック";

TEST(DialogTemplateTest, MainDialogIsEmbedded) {
  const auto t = LoadDialogTemplate(102);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->id, 102);
  EXPECT_EQ(t->rect, (DialogRect{0, 0, 151, 183}));
  EXPECT_EQ(t->caption, "Tocolo");
  EXPECT_EQ(t->fontName, kDialogFont);
  EXPECT_EQ(t->fontPoints, 9);
  EXPECT_EQ(t->styles, kDialogPopup | kDialogVisible | kDialogCaption | kDialogSysMenu |
                           kDialogModalFrame | kDialogAppWindow);

  // Template order is the tab order.
  EXPECT_EQ(IdsOf(*t), (std::vector<int>{-1, 1007, 1008, 1009, -1, 1004, 1005, 1006, -1, -1, 1000,
                                         1010, 22, 23, 1, 3}));
  EXPECT_EQ(IndicesWith(*t, kStyleGroup), (std::vector<std::size_t>{1, 5, 8, 9, 11}));
  EXPECT_EQ(IndicesWith(*t, kStyleTabStop), (std::vector<std::size_t>{10, 12, 13, 14, 15}));

  EXPECT_EQ(t->controls[2].text, "3-2 (rumba)");
  const ControlTemplate& slider = t->controls[10];
  EXPECT_EQ(slider.kind, ControlKind::Trackbar);
  EXPECT_EQ(slider.styles, kStyleTabStop | kStyleAutoTicks | kStyleTicksTop);
  EXPECT_EQ(slider.rect, (DialogRect{7, 89, 136, 21}));
  EXPECT_EQ(t->controls[12].kind, ControlKind::OwnerDraw);
  EXPECT_EQ(t->controls[13].rect, (DialogRect{105, 132, 32, 23}));
  EXPECT_EQ(t->controls[14].kind, ControlKind::DefPushButton);
  EXPECT_EQ(t->controls[14].text, "Bye");
  EXPECT_EQ(t->controls[15].rect, (DialogRect{7, 132, 33, 14}));
}

TEST(DialogTemplateTest, AboutBoxIsEmbedded) {
  const auto t = LoadDialogTemplate(100);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->rect, (DialogRect{0, 0, 218, 56}));
  EXPECT_EQ(t->caption, "About Tocolo");
  EXPECT_EQ(t->fontName, kDialogFont);
  EXPECT_EQ(t->fontPoints, 9);
  EXPECT_EQ(t->styles, kDialogPopup | kDialogCaption | kDialogSysMenu | kDialogModalFrame);

  ASSERT_EQ(IdsOf(*t), (std::vector<int>{-1, -1, 1, 1022}));
  EXPECT_EQ(t->controls[0].kind, ControlKind::Icon);
  EXPECT_EQ(t->controls[0].text, "128");
  EXPECT_EQ(t->controls[1].styles, kStyleNoPrefix | kStyleGroup);
  EXPECT_EQ(t->controls[2].styles, kStyleGroup | kStyleTabStop);
  EXPECT_EQ(t->controls[3].text, "");
  EXPECT_EQ(t->controls[3].styles, kStyleNotify | kStyleGroup | kStyleTabStop);
  EXPECT_EQ(t->controls[3].rect, (DialogRect{103, 38, 108, 11}));
}

TEST(DialogTemplateTest, LoadRejectsMissingMalformedAndMisfiledTemplates) {
  EXPECT_FALSE(LoadDialogTemplate(999).has_value());
  {
    const res::ScopedResourceOverride broken(102, res::kTypeDialog, BytesOf("DIALOG 102 1 1\n"));
    EXPECT_FALSE(LoadDialogTemplate(102).has_value());
  }
  // A file filed under the wrong id would open the wrong window.
  const res::ScopedResourceOverride misfiled(102, res::kTypeDialog, BytesOf("DIALOG 100 1 1\nEND"));
  EXPECT_FALSE(LoadDialogTemplate(102).has_value());
}

TEST(DialogTemplateTest, ParsesCommentsEscapesAndCrlf) {
  const auto t = ParseDialogTemplate(
      "# comment\r\n\r\n  DIALOG 7 10 20   # trailing\r\n"
      "CAPTION \"say \\\"hi\\\" C:\\\\ # not a comment\"\r\n"
      "CONTROL PUSHBUTTON 65535 \"\" 0 0 32767 32767\r\n"
      "END\r\n# done\r\n");
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->caption, R"(say "hi" C:\ # not a comment)");
  EXPECT_TRUE(t->fontName.empty());
  EXPECT_EQ(t->styles, 0u);
  ASSERT_EQ(t->controls.size(), 1u);
  EXPECT_EQ(t->controls[0].id, 65535);
  EXPECT_EQ(t->controls[0].rect, (DialogRect{0, 0, 32767, 32767}));
}

struct Malformed {
  const char* why;
  std::string text;
};

TEST(DialogTemplateTest, RejectsMalformedTemplates) {
  const std::string head = "DIALOG 7 10 20\n";
  const std::string control = "CONTROL STATIC -1 \"x\" 0 0 5 5";
  ASSERT_TRUE(ParseDialogTemplate(head + control + "\nEND").has_value());

  const Malformed cases[] = {
      // Structure
      {"empty", ""},
      {"no END", head + control},
      {"statement before DIALOG", "CAPTION \"a\"\n" + head + "END"},
      {"duplicate DIALOG", head + head + "END"},
      {"statement after END", head + "END\n" + control},
      {"duplicate CAPTION", head + "CAPTION \"a\"\nCAPTION \"b\"\nEND"},
      {"duplicate control id",
       head + "CONTROL STATIC 5 \"\" 0 0 1 1\nCONTROL STATIC 5 \"\" 0 0 1 1\nEND"},
      // Keywords, kinds and styles
      {"unknown keyword", head + "MENU 1\nEND"},
      {"unknown kind", head + "CONTROL COMBOBOX 1 \"\" 0 0 1 1\nEND"},
      {"unknown control style", head + control + " BORDER\nEND"},
      {"repeated control style", head + control + " GROUP GROUP\nEND"},
      {"style of another kind", head + "CONTROL PUSHBUTTON 1 \"\" 0 0 1 1 AUTOTICKS\nEND"},
      {"unknown dialog style", head + "STYLE POPUP CHILD\nEND"},
      {"empty STYLE", head + "STYLE\nEND"},
      {"icon without a resource id", head + "CONTROL ICON -1 \"app\" 0 0 1 1\nEND"},
      // Fields
      {"missing height", head + "CONTROL STATIC -1 \"x\" 0 0 5\nEND"},
      {"extra DIALOG field", "DIALOG 7 10 20 30\nEND"},
      {"trailing garbage on END", head + "END now"},
      {"unquoted text", head + "CONTROL STATIC -1 x 0 0 5 5\nEND"},
      {"quoted number", head + "CONTROL STATIC -1 \"x\" \"0\" 0 5 5\nEND"},
      {"empty font face", head + "FONT 9 \"\"\nEND"},
      // Ranges
      {"id below -1", head + "CONTROL STATIC -2 \"x\" 0 0 5 5\nEND"},
      {"negative coordinate", head + "CONTROL STATIC -1 \"x\" -1 0 5 5\nEND"},
      {"number overflowing int", head + "CONTROL STATIC -1 \"x\" 0 0 99999999999999999999 5\nEND"},
      {"coordinate past 32767", head + "CONTROL STATIC -1 \"x\" 0 32768 5 5\nEND"},
      {"dialog id 0", "DIALOG 0 10 20\nEND"},
      {"font of 0 points", head + "FONT 0 \"Sans\"\nEND"},
      // Strings and bytes
      {"unterminated string", head + "CAPTION \"abc\nEND"},
      {"unknown escape", head + "CAPTION \"a\\n\"\nEND"},
      {"string run into a token", head + "CONTROL STATIC -1 \"x\"0 0 5 5\nEND"},
      {"control character in string", head + "CAPTION \"a\tb\"\nEND"},
      {"NUL byte", head + "CAPTION \"a\0b\"\nEND"s},
      {"invalid UTF-8", head + "CAPTION \"\xC3\x28\"\nEND"},
      {"truncated UTF-8", head + "END\n# \xE3\x83"},
  };
  for (const Malformed& c : cases) {
    EXPECT_FALSE(ParseDialogTemplate(c.text).has_value()) << c.why;
  }
}

}  // namespace
