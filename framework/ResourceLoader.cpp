#include "framework/ResourceLoader.h"

#include <QBuffer>
#include <QImageReader>

#include "res/Resources.h"

namespace {

QByteArray BytesOf(int id, std::string_view type) {
  const res::Bytes bytes = res::FindResource(id, type);
  // The resource lives as long as the program; no copy is needed.
  return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qsizetype>(bytes.size()));
}

QPixmap PixmapOf(int id, std::string_view type, const char* format, int scale) {
  QPixmap pixmap;
  pixmap.loadFromData(BytesOf(id, type), format);
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

}  // namespace

QPixmap LoadBitmapResource(int id, int scale) {
  return PixmapOf(id, scale == 2 ? res::kTypeBitmap2x : res::kTypeBitmap, "BMP", scale);
}

QPixmap LoadGlyphResource(int id, int scale) {
  return PixmapOf(id, scale == 2 ? res::kTypeGlyph2x : res::kTypeGlyph, "PNG", scale);
}

QIcon LoadIconResource(int id) {
  QByteArray bytes = BytesOf(id, res::kTypeIcon);
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "ICO");
  QIcon icon;
  for (int i = 0; i < reader.imageCount(); ++i) {
    if (!reader.jumpToImage(i)) break;
    const QImage image = reader.read();
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

QString LoadStringResource(int id) {
  QString text = QString::fromUtf8(BytesOf(id, res::kTypeString));
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text;
}
