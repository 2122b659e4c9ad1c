#pragma once

#include "framework/WinApp.h"

// The executable's version record.
inline constexpr VersionInfo kTocoloVersion = {
    .fileDescription = "Tocolo",
    .fileVersion = "1, 0, 0, 2",
    .productVersion = "1, 0, 0, 2",
    .internalName = "Tocolo",
    .originalFilename = "Tocolo.EXE",
    .productName = "Tocolo Application",
};
