#include "raster/icon.h"

#include <cstdlib>

const IconImage* FindIconImage(HICON icon, int width) {
    if (!icon || icon->images.empty()) return nullptr;
    const IconImage* best = &icon->images.front();
    const auto distance = [width](const IconImage& image) { return std::abs(image.width - width); };
    for (const IconImage& image : icon->images)
        if (distance(image) < distance(*best) ||
            (distance(image) == distance(*best) && image.width < best->width))
            best = &image;
    return best;
}
