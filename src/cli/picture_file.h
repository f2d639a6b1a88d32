// The picture files the tool writes from its bitmaps: BMP as always, or PNG when the name
// ends in ".png" (any case), either enlarged by a whole factor.
#pragma once

#include <string>
#include <vector>

#include "raster/bitmap.h"

constexpr int kMaxPictureScale = 16;

bool IsPngName(const std::string& path);

// Writes `plane` (24-bit colour or 8-bit grey) to `path`, each pixel made a square of
// scale x scale pixels, through a replacement file. A PNG holds RGB or grey pixels, or
// with `pAlpha` (PNG only, an 8-bit plane of the same size) RGBA with that plane as its
// alpha. A failure is reported against `path`; false then.
bool WritePicture(const std::string& path, const CBitmap& plane, int scale,
                  const CBitmap* pAlpha = nullptr);

// The bytes WritePicture writes, for a caller that writes them its own way; empty with
// the reason in *pWhy when they cannot be made.
std::vector<BYTE> EncodePicture(const std::string& path, const CBitmap& plane, int scale,
                                const CBitmap* pAlpha, std::string* pWhy);
