#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "tools/imagegen/Raster.h"

// Encoders for the Windows image formats the application embeds. They emit every field
// byte by byte, little-endian, so the files are the same whatever the host.

// A 16-colour image: palette indices row by row from the top, and which pixels are opaque.
struct IndexedImage {
  int size = 0;
  std::vector<std::uint8_t> indices;
  std::vector<bool> opaque;
};

using Palette16 = std::array<Rgb, 16>;

// BITMAPFILEHEADER, BITMAPINFOHEADER, then 24-bit rows bottom-up, each padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas);

// An icon directory of square 4-bit images sharing one palette. Each image is a
// BITMAPINFOHEADER with the height doubled, the palette, the colour rows and a 1-bit mask.
std::vector<std::uint8_t> EncodeIco(std::span<const IndexedImage> images, const Palette16& palette);
