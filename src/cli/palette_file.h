// A palette's 256 colours in files other programs read: a GIMP palette (.gpl) or a JASC
// palette (.pal), both text, or a swatch picture of 16 x 16 pixels (.png), one pixel a
// colour, left to right and top to bottom.
#pragma once

#include <optional>
#include <string>

#include "base/types.h"
#include "raster/bitmap.h"

enum class PaletteFormat { gimp, jasc, swatch };

// By the name's extension, in any case; none for any other name.
std::optional<PaletteFormat> PaletteFormatOf(const std::string& path);

// `rgb` holds 256 colours of three bytes each: red, green, blue.
std::string GimpPaletteText(const BYTE* rgb, const std::string& utf8Name);
std::string JascPaletteText(const BYTE* rgb);
// A 24-bit bitmap; false when it cannot be made.
bool MakeSwatch(const BYTE* rgb, CBitmap* pSwatch);
