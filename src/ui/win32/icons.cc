#include "ui/win32/icons.h"

namespace win32ui {

std::vector<std::uint32_t> ToArgb(const IconImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    std::vector<std::uint32_t> argb(static_cast<size_t>(image.width) * image.height, 0);
    for (size_t i = 0; i < argb.size(); ++i) {
        if (i < image.mask.size() && image.mask[i]) continue;
        const BYTE index = i < image.indices.size() ? image.indices[i] : 0;
        std::uint32_t rgb = 0;
        if (index < image.colors.size()) {
            const RGBQUAD& c = image.colors[index];
            rgb = (static_cast<std::uint32_t>(c.rgbRed) << 16) |
                  (static_cast<std::uint32_t>(c.rgbGreen) << 8) | c.rgbBlue;
        }
        argb[i] = 0xFF000000u | rgb;
    }
    return argb;
}

IconCache::~IconCache() {
    for (auto& [key, icon] : m_icons) FreeIcon(icon);
}

NativeIcon IconCache::Get(HICON icon, int width) {
    if (!icon) return nullptr;
    auto it = m_icons.find({icon, width});
    if (it != m_icons.end()) return it->second;
    NativeIcon made = nullptr;
    if (const IconImage* image = FindIconImage(icon, width))
        made = MakeIcon(image->width, image->height, ToArgb(*image));
    m_icons[{icon, width}] = made;
    return made;
}

}  // namespace win32ui
