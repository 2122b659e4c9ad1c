// tocolo_imagegen <output-dir>: draws the START and STOP button bitmaps (and, for the
// program's own faces in dark themes, their glyphs alone), each at 1x and 2x; the
// application icon as the program's 16-colour icon resource and at the icon theme's sizes;
// and its scalable version.
#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QtEndian>
#include <cstdio>
#include <vector>

#include "tools/imagegen/ButtonArt.h"
#include "tools/imagegen/IconArt.h"

namespace {

struct ButtonFile {
  const char* name;
  Glyph glyph;
  ButtonState state;
};

constexpr ButtonFile kButtonFiles[] = {
    {"start_normal", Glyph::kPlay, ButtonState::kNormal},
    {"start_selected", Glyph::kPlay, ButtonState::kSelected},
    {"start_focused", Glyph::kPlay, ButtonState::kFocused},
    {"start_disabled", Glyph::kPlay, ButtonState::kDisabled},
    {"stop_normal", Glyph::kStop, ButtonState::kNormal},
    {"stop_selected", Glyph::kStop, ButtonState::kSelected},
    {"stop_focused", Glyph::kStop, ButtonState::kFocused},
    {"stop_disabled", Glyph::kStop, ButtonState::kDisabled},
};

// The sizes a desktop's icon theme asks for.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Qt writes one image to an icon file; the program's icon holds several. Each is written
// on its own and their directory entries are gathered into one file.
QByteArray IconFile(const std::vector<QImage>& images) {
  constexpr int kHeader = 6;
  constexpr int kEntry = 16;
  std::vector<QByteArray> singles;
  for (const QImage& image : images) {
    QByteArray single;
    QBuffer buffer(&single);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "ICO").write(image)) return {};
    singles.push_back(single);
  }
  QByteArray header(kHeader, '\0');
  qToLittleEndian<quint16>(1, header.data() + 2);
  qToLittleEndian<quint16>(static_cast<quint16>(singles.size()), header.data() + 4);
  QByteArray directory;
  QByteArray data;
  const qsizetype dataStart = kHeader + kEntry * static_cast<qsizetype>(singles.size());
  for (const QByteArray& single : singles) {
    QByteArray entry = single.mid(kHeader, kEntry);
    const auto size = qFromLittleEndian<quint32>(entry.constData() + 8);
    const auto offset = qFromLittleEndian<quint32>(entry.constData() + 12);
    qToLittleEndian<quint32>(static_cast<quint32>(dataStart + data.size()), entry.data() + 12);
    directory += entry;
    data += single.mid(offset, size);
  }
  return header + directory + data;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tocolo_imagegen <output-dir>\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
  const QDir directory(QString::fromLocal8Bit(argv[1]));
  bool written = true;
  const auto save = [&](const QImage& image, const QString& name, const char* format) {
    if (image.save(directory.filePath(name), format)) return;
    std::fprintf(stderr, "tocolo_imagegen: cannot write %s\n",
                 qPrintable(directory.filePath(name)));
    written = false;
  };
  for (const ButtonFile& file : kButtonFiles) {
    const QString name = QString::fromLatin1(file.name);
    // Bitmaps are opaque and written with 24 bits per pixel.
    save(DrawButton(file.glyph, file.state, 1), name + ".bmp", "BMP");
    save(DrawButton(file.glyph, file.state, 2), name + "@2x.bmp", "BMP");
    save(DrawGlyph(file.glyph, file.state, 1), name + "_glyph.png", "PNG");
    save(DrawGlyph(file.glyph, file.state, 2), name + "_glyph@2x.png", "PNG");
  }
  // 16 and 32 pixels, and the 32's double for high-density screens.
  const QByteArray icon = IconFile({DrawIcon(16, true), DrawIcon(32, true), DrawIcon(64, true)});
  QFile ico(directory.filePath("tocolo.ico"));
  if (icon.isEmpty() || !ico.open(QIODevice::WriteOnly) || ico.write(icon) != icon.size()) {
    std::fprintf(stderr, "tocolo_imagegen: cannot write %s\n", qPrintable(ico.fileName()));
    written = false;
  }
  ico.close();
  for (const int size : kThemeSizes)
    save(DrawIcon(size, false), QStringLiteral("tocolo-%1.png").arg(size), "PNG");
  QFile svg(directory.filePath("tocolo.svg"));
  const QByteArray svgText = IconSvg().toUtf8();
  if (!svg.open(QIODevice::WriteOnly) || svg.write(svgText) != svgText.size()) {
    std::fprintf(stderr, "tocolo_imagegen: cannot write %s\n", qPrintable(svg.fileName()));
    written = false;
  }
  return written ? 0 : 1;
}
