#include "tools/imagegen/ImageFiles.h"

#include "tools/common/ByteWriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Rows of every bitmap are padded to a multiple of 4 bytes.
std::uint32_t RowStride(int width, int bitsPerPixel) {
  return static_cast<std::uint32_t>((width * bitsPerPixel + 31) / 32 * 4);
}

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kDirectorySize = 6;
constexpr std::uint32_t kDirectoryEntrySize = 16;
constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dpi

void PutInfoHeader(Bytes& out, int width, int height, int bitsPerPixel, std::uint32_t imageSize,
                   std::uint32_t pixelsPerMetre) {
  PutLittleEndian(out, kInfoHeaderSize, 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(width), 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(height), 4);  // positive: rows run bottom-up
  PutLittleEndian(out, 1, 2);                                   // planes
  PutLittleEndian(out, static_cast<std::uint32_t>(bitsPerPixel), 2);
  PutLittleEndian(out, 0, 4);  // BI_RGB, uncompressed
  PutLittleEndian(out, imageSize, 4);
  PutLittleEndian(out, pixelsPerMetre, 4);
  PutLittleEndian(out, pixelsPerMetre, 4);
  PutLittleEndian(out, 0, 4);  // colours used: all that the bit depth allows
  PutLittleEndian(out, 0, 4);  // colours important: all
}

// Blue, green, red: the order of a Windows bitmap's pixels and palette entries.
void PutBgr(Bytes& out, Rgb c) {
  out.push_back(c.b);
  out.push_back(c.g);
  out.push_back(c.r);
}

void PutPadding(Bytes& out, std::size_t rowStart, std::uint32_t stride) {
  while (out.size() - rowStart < stride) out.push_back(0);
}

std::uint32_t IcoImageSize(int size) {
  return kInfoHeaderSize + 16 * 4 + (RowStride(size, 4) + RowStride(size, 1)) * size;
}

void PutIcoImage(Bytes& out, const IndexedImage& image, const Palette16& palette) {
  const int n = image.size;
  const std::uint32_t pixelBytes = (RowStride(n, 4) + RowStride(n, 1)) * n;
  // The height counts the colour rows and the mask rows together.
  PutInfoHeader(out, n, 2 * n, 4, pixelBytes, 0);
  for (const Rgb& c : palette) {
    PutBgr(out, c);
    out.push_back(0);
  }
  for (int y = n - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < n; x += 2) {
      const auto index = [&](int px) {
        const auto i = static_cast<std::size_t>(y * n + px);
        // A masked pixel must be black: the mask ANDs the screen, then the colour is XORed in.
        return image.opaque[i] ? image.indices[i] : std::uint8_t{0};
      };
      out.push_back(static_cast<std::uint8_t>(index(x) << 4 | (x + 1 < n ? index(x + 1) : 0)));
    }
    PutPadding(out, rowStart, RowStride(n, 4));
  }
  for (int y = n - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    std::uint8_t bits = 0;
    for (int x = 0; x < n; ++x) {
      // A set bit keeps the screen: a transparent pixel.
      if (!image.opaque[static_cast<std::size_t>(y * n + x)]) bits |= 0x80 >> (x % 8);
      if (x % 8 == 7 || x == n - 1) {
        out.push_back(bits);
        bits = 0;
      }
    }
    PutPadding(out, rowStart, RowStride(n, 1));
  }
}

}  // namespace

Bytes EncodeBmp(const Canvas& canvas) {
  const std::uint32_t stride = RowStride(canvas.width(), 24);
  const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(canvas.height());
  const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize;
  Bytes out;
  out.reserve(pixelOffset + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  PutLittleEndian(out, pixelOffset + pixelBytes, 4);
  PutLittleEndian(out, 0, 4);  // reserved
  PutLittleEndian(out, pixelOffset, 4);
  PutInfoHeader(out, canvas.width(), canvas.height(), 24, pixelBytes, kPixelsPerMetre);
  for (int y = canvas.height() - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < canvas.width(); ++x) {
      PutBgr(out, canvas.Get(x, y));
    }
    PutPadding(out, rowStart, stride);
  }
  return out;
}

Bytes EncodeIco(std::span<const IndexedImage> images, const Palette16& palette) {
  Bytes out;
  PutLittleEndian(out, 0, 2);  // reserved
  PutLittleEndian(out, 1, 2);  // an icon, not a cursor
  PutLittleEndian(out, static_cast<std::uint32_t>(images.size()), 2);
  std::uint32_t offset =
      kDirectorySize + kDirectoryEntrySize * static_cast<std::uint32_t>(images.size());
  for (const IndexedImage& image : images) {
    // The byte-wide size fields spell 256 as 0.
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(16);           // palette entries
    out.push_back(0);            // reserved
    PutLittleEndian(out, 1, 2);  // planes
    PutLittleEndian(out, 4, 2);  // bits per pixel
    PutLittleEndian(out, IcoImageSize(image.size), 4);
    PutLittleEndian(out, offset, 4);
    offset += IcoImageSize(image.size);
  }
  for (const IndexedImage& image : images) PutIcoImage(out, image, palette);
  return out;
}
