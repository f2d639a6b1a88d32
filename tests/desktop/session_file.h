// The file the desktop tests open, without the sessions' test framework around it.
#pragma once

#include <string>

#include "builders/iff_builder.h"

namespace desktop {

// The file the sessions open: palettes 1 (all red) and 2 (all blue); sprite 100 "Orb" with two
// 10 x 8 frames of colour 5, in palettes 1 and 2; sprite 200 "D\xE9cor" (single-byte text) of
// palette 7, which the file lacks, with one such frame in palette 2.
builders::Bytes SessionFileBytes();
// ... written to a fresh temporary file, whose path it gives.
std::string WriteSessionFile(const std::string& name = "demo.iff");

}  // namespace desktop
