// tocolo_imagegen <output-dir>: draws the START and STOP button bitmaps, the application icon
// and its scalable version.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/ByteWriter.h"
#include "tools/imagegen/Buttons.h"
#include "tools/imagegen/Icon.h"
#include "tools/imagegen/ImageFiles.h"

namespace {

struct ButtonFile {
  std::string_view name;
  Glyph glyph;
  ButtonState state;
};

constexpr ButtonFile kButtonFiles[] = {
    {"start_normal.bmp", Glyph::kPlay, ButtonState::kNormal},
    {"start_selected.bmp", Glyph::kPlay, ButtonState::kSelected},
    {"start_focused.bmp", Glyph::kPlay, ButtonState::kFocused},
    {"start_disabled.bmp", Glyph::kPlay, ButtonState::kDisabled},
    {"stop_normal.bmp", Glyph::kStop, ButtonState::kNormal},
    {"stop_selected.bmp", Glyph::kStop, ButtonState::kSelected},
    {"stop_focused.bmp", Glyph::kStop, ButtonState::kFocused},
    {"stop_disabled.bmp", Glyph::kStop, ButtonState::kDisabled},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tocolo_imagegen <output-dir>\n");
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  bool written = true;
  const auto write = [&](std::string_view name, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path path = directory / name;
    if (WriteFile(path, bytes)) return;
    std::fprintf(stderr, "tocolo_imagegen: cannot write %s\n", path.c_str());
    written = false;
  };
  for (const ButtonFile& file : kButtonFiles) {
    write(file.name, EncodeBmp(DrawButton(file.glyph, file.state)));
  }
  const IndexedImage icons[] = {DrawIcon(16), DrawIcon(32)};
  write("tocolo.ico", EncodeIco(icons, IconPalette()));
  const std::string svg = IconSvg();
  write("tocolo.svg", std::span(reinterpret_cast<const std::uint8_t*>(svg.data()), svg.size()));
  return written ? 0 : 1;
}
