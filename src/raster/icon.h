// Icons as the program carries them: each a set of images of one picture in several sizes.
#pragma once

#include <vector>

#include "base/sys_types.h"

// One image of an icon: one colour index per pixel, rows top-down.
struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 4;             // 16 colours
    std::vector<RGBQUAD> colors;  // the colour table the indices refer to
    std::vector<BYTE> indices;    // width * height
    std::vector<BYTE> mask;       // width * height, nonzero = transparent; empty: opaque
};

struct IconResource {
    UINT id = 0;
    std::vector<IconImage> images;  // largest first
};

// The image of that width, else the nearest one (the smaller of two as near): a small icon
// slot scaled for the screen still shows the small image.
const IconImage* FindIconImage(HICON icon, int width);
