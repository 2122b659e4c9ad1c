#pragma once

#include "framework/WinApp.h"

// The executable's version record. The build takes the project's version, and with it the
// package's and the AppStream release's, from productVersion.
inline constexpr VersionInfo kTocoloVersion = {
    .fixedFileVersion = {1, 0, 0, 1},
    .fixedProductVersion = {1, 0, 0, 1},
    .languageBlock = "041104B0",
    .fileDescription = "Tocolo",
    .fileVersion = "1, 0, 0, 2",
    .productVersion = "1, 0, 0, 2",
    .internalName = "Tocolo",
    .originalFilename = "Tocolo.EXE",
    .productName = "Tocolo Application",
};
