// PNG files of 8-bit grey, RGB or RGBA pixels. The encoder runs with fixed settings and
// nothing from the clock or the system, so every platform writes the same bytes.
#pragma once

#include <vector>

#include "base/types.h"

struct PixelRows {
    int width = 0;
    int height = 0;
    int channels = 0;         // 1 grey, 3 red-green-blue, 4 red-green-blue-alpha
    std::vector<BYTE> bytes;  // top-down rows, width * channels bytes each, no padding
};

// The whole file: signature, IHDR (bit depth 8, no interlace), one IDAT, IEND. Empty when
// the rows are not as described or memory runs out. Several threads may encode at once:
// the encoder's settings are never changed.
std::vector<BYTE> EncodePng(const PixelRows& rows);
