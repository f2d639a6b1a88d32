// The program's icon resources as system icons, made once per icon and size.
#pragma once

#include <map>
#include <utility>

#include "ui/resource_tables.h"
#include "ui/win32/native_ui.h"

namespace win32ui {

// Masked pixels are transparent; an index outside the colour table is black.
std::vector<std::uint32_t> ToArgb(const IconImage& image);

class IconCache {
public:
    IconCache() = default;
    ~IconCache();
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // The system icon of icon's image of the given width (else its first); NULL for none.
    NativeIcon Get(HICON icon, int width);

private:
    std::map<std::pair<HICON, int>, NativeIcon> m_icons;
};

}  // namespace win32ui
