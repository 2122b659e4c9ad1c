#include "framework/DialogTemplate.h"

#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <set>
#include <span>
#include <utility>

#include "res/Resources.h"

namespace {

struct Token {
  std::string text;  // unescaped when quoted
  bool quoted = false;
};

struct KindName {
  std::string_view name;
  ControlKind kind;
  std::uint32_t allowedStyles;
};

struct FlagName {
  std::string_view name;
  std::uint32_t bit;
};

constexpr std::uint32_t kAnyControl = kStyleGroup | kStyleTabStop;

constexpr KindName kKinds[] = {
    {"GROUPBOX", ControlKind::GroupBox, kAnyControl},
    {"AUTORADIO", ControlKind::AutoRadio, kAnyControl},
    {"PUSHBUTTON", ControlKind::PushButton, kAnyControl},
    {"DEFPUSHBUTTON", ControlKind::DefPushButton, kAnyControl},
    {"OWNERDRAW", ControlKind::OwnerDraw, kAnyControl},
    {"STATIC", ControlKind::Static, kAnyControl | kStyleNoPrefix | kStyleNotify},
    {"ICON", ControlKind::Icon, kAnyControl | kStyleNotify},
    {"TRACKBAR", ControlKind::Trackbar, kAnyControl | kStyleAutoTicks | kStyleTicksTop},
};

constexpr FlagName kControlStyles[] = {
    {"GROUP", kStyleGroup},       {"TABSTOP", kStyleTabStop},   {"AUTOTICKS", kStyleAutoTicks},
    {"TICKSTOP", kStyleTicksTop}, {"NOPREFIX", kStyleNoPrefix}, {"NOTIFY", kStyleNotify},
};

constexpr FlagName kDialogStyles[] = {
    {"POPUP", kDialogPopup},     {"VISIBLE", kDialogVisible},       {"CAPTION", kDialogCaption},
    {"SYSMENU", kDialogSysMenu}, {"MODALFRAME", kDialogModalFrame}, {"APPWINDOW", kDialogAppWindow},
};

// Rejects malformed, overlong and surrogate forms, so that whatever shows the text never
// has to guess.
bool IsValidUtf8(std::string_view s) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded =
      decoder.decode(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())));
  return !decoder.hasError();
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool IsControlChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

// The tokens of one line without its comment; nullopt for a broken string or one run together
// with the next token.
std::optional<std::vector<Token>> Tokenize(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size() || line[i] == '#') return tokens;
    Token token;
    if (line[i] == '"') {
      token.quoted = true;
      for (++i;; ++i) {
        if (i == line.size()) return std::nullopt;
        char c = line[i];
        if (c == '"') break;
        if (c == '\\') {
          if (++i == line.size() || (line[i] != '"' && line[i] != '\\')) return std::nullopt;
          c = line[i];
        } else if (IsControlChar(c)) {
          return std::nullopt;
        }
        token.text += c;
      }
      if (++i < line.size() && !IsBlank(line[i])) return std::nullopt;
    } else {
      // A stray quote stays in the token, which then matches no keyword or number.
      while (i < line.size() && !IsBlank(line[i])) token.text += line[i++];
    }
    tokens.push_back(std::move(token));
  }
}

// Plain decimal only: no sign other than '-', no spaces, no radix prefix.
bool ToInt(std::string_view text, int min, int max, int& out) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
    return false;
  }
  out = value;
  return true;
}

bool ReadInt(const Token& token, int min, int max, int& out) {
  return !token.quoted && ToInt(token.text, min, max, out);
}

bool ReadRect(std::span<const Token> fields, DialogRect& rect) {
  constexpr int kMax = kMaxDialogCoordinate;
  return ReadInt(fields[0], 0, kMax, rect.x) && ReadInt(fields[1], 0, kMax, rect.y) &&
         ReadInt(fields[2], 0, kMax, rect.width) && ReadInt(fields[3], 0, kMax, rect.height);
}

// Each flag at most once, and only those in `allowed`.
bool ReadFlags(std::span<const Token> tokens, std::span<const FlagName> names,
               std::uint32_t allowed, std::uint32_t& flags) {
  for (const Token& token : tokens) {
    const auto found = std::find_if(names.begin(), names.end(), [&](const FlagName& n) {
      return !token.quoted && n.name == token.text;
    });
    if (found == names.end() || (found->bit & allowed) == 0 || (flags & found->bit) != 0) {
      return false;
    }
    flags |= found->bit;
  }
  return true;
}

bool FirstTime(bool& seen) {
  return !std::exchange(seen, true);
}

class TemplateParser {
 public:
  bool Statement(std::span<const Token> s) {
    if (ended_ || s.front().quoted) return false;
    const std::string_view keyword = s.front().text;
    if (!begun_) return keyword == "DIALOG" && Dialog(s);
    if (keyword == "CONTROL") return Control(s);
    if (keyword == "CAPTION") return FirstTime(hasCaption_) && Caption(s);
    if (keyword == "FONT") return FirstTime(hasFont_) && Font(s);
    if (keyword == "STYLE") {
      return FirstTime(hasStyle_) && s.size() >= 2 &&
             ReadFlags(s.subspan(1), kDialogStyles, ~0u, t_.styles);
    }
    if (keyword == "END") {
      ended_ = true;
      return s.size() == 1;
    }
    return false;
  }

  std::optional<DialogTemplate> Finish() {
    if (!ended_) return std::nullopt;
    return std::move(t_);
  }

 private:
  bool Dialog(std::span<const Token> s) {
    begun_ = true;
    return s.size() == 4 && ReadInt(s[1], 1, kMaxResourceId, t_.id) &&
           ReadInt(s[2], 1, kMaxDialogCoordinate, t_.rect.width) &&
           ReadInt(s[3], 1, kMaxDialogCoordinate, t_.rect.height);
  }

  bool Caption(std::span<const Token> s) {
    if (s.size() != 2 || !s[1].quoted) return false;
    t_.caption = s[1].text;
    return true;
  }

  bool Font(std::span<const Token> s) {
    if (s.size() != 3 || !s[2].quoted || s[2].text.empty()) return false;
    t_.fontName = s[2].text;
    return ReadInt(s[1], 1, kMaxFontPoints, t_.fontPoints);
  }

  bool Control(std::span<const Token> s) {
    if (s.size() < 8 || s[1].quoted) return false;
    const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                   [&](const KindName& k) { return k.name == s[1].text; });
    if (kind == std::end(kKinds)) return false;

    ControlTemplate control;
    control.kind = kind->kind;
    if (!ReadInt(s[2], -1, kMaxResourceId, control.id) || !s[3].quoted ||
        !ReadRect(s.subspan(4, 4), control.rect) ||
        !ReadFlags(s.subspan(8), kControlStyles, kind->allowedStyles, control.styles)) {
      return false;
    }
    int icon = 0;
    if (control.kind == ControlKind::Icon && !ToInt(s[3].text, 1, kMaxResourceId, icon)) {
      return false;
    }
    // Two controls under one id would make lookups by id ambiguous.
    if (control.id != -1 && !ids_.insert(control.id).second) return false;
    control.text = s[3].text;
    t_.controls.push_back(std::move(control));
    return true;
  }

  DialogTemplate t_;
  std::set<int> ids_;
  bool begun_ = false;
  bool ended_ = false;
  bool hasCaption_ = false;
  bool hasFont_ = false;
  bool hasStyle_ = false;
};

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::string_view text) {
  if (!IsValidUtf8(text)) return std::nullopt;
  TemplateParser parser;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    const auto tokens = Tokenize(line);
    if (!tokens) return std::nullopt;
    if (!tokens->empty() && !parser.Statement(*tokens)) return std::nullopt;
  }
  return parser.Finish();
}

std::optional<DialogTemplate> LoadDialogTemplate(int id) {
  const res::Bytes bytes = res::FindResource(id, res::kTypeDialog);
  if (bytes.empty()) return std::nullopt;
  auto parsed = ParseDialogTemplate({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  if (!parsed || parsed->id != id) return std::nullopt;
  return parsed;
}
