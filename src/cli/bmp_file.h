// BMP files from the program's own bitmaps.
#pragma once

#include <vector>

#include "base/types.h"
#include "raster/bitmap.h"

// The whole file: BITMAPFILEHEADER, a 40-byte BITMAPINFOHEADER (positive height, BI_RGB,
// biSizeImage filled in), the bitmap's colour table for 8-bit bitmaps (a grey ramp when
// it has none), then its rows bottom-up, each padded with zeros to a multiple of 4 bytes.
// Empty when the bitmap holds no DIB section of 8 or 24 bits.
std::vector<BYTE> EncodeBmp(const CBitmap& bitmap);
