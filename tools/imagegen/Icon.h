#pragma once

#include <string>

#include "tools/imagegen/ImageFiles.h"

// The application icon: two wooden claves crossed on a rounded blue tile, with a spark where
// one strikes the other. The raster sizes and the SVG share one geometry.

const Palette16& IconPalette();

// A size x size image in IconPalette() colours; index 0 is kept for transparent pixels.
IndexedImage DrawIcon(int size);

std::string IconSvg();
