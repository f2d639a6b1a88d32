#include "cli/bmp_file.h"

#include <cstring>

#include "base/byte_order.h"

namespace {

constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kInfoHeaderSize = 40;

}  // namespace

std::vector<BYTE> EncodeBmp(const CBitmap& bitmap) {
    DIBSECTION ds{};
    const HBITMAP hBitmap = bitmap;
    if (hBitmap == nullptr || GetObject(hBitmap, sizeof(ds), &ds) != sizeof(ds)) return {};
    const BITMAP& bm = ds.dsBm;
    const WORD bitCount = bm.bmBitsPixel;
    if ((bitCount != 8 && bitCount != 24) || bm.bmWidth <= 0 || bm.bmHeight <= 0 ||
        bm.bmBits == nullptr)
        return {};

    const DWORD rowBytes = static_cast<DWORD>(bm.bmWidth) * (bitCount / 8);
    const DWORD stride = (rowBytes + 3) & ~DWORD{3};
    if (static_cast<DWORD>(bm.bmWidthBytes) < rowBytes) return {};

    std::vector<RGBQUAD> table;
    if (bitCount == 8) {
        table = hBitmap->colors;
        if (table.size() != 256) {
            table.resize(256);
            for (int i = 0; i < 256; ++i) {
                const BYTE v = static_cast<BYTE>(i);
                table[static_cast<size_t>(i)] = RGBQUAD{v, v, v, 0};
            }
        }
    }

    // The builder caps a bitmap at 256 MiB, so these sums stay far below 4 GiB.
    const DWORD imageSize = stride * static_cast<DWORD>(bm.bmHeight);
    const DWORD offBits = kFileHeaderSize + kInfoHeaderSize + 4 * static_cast<DWORD>(table.size());
    std::vector<BYTE> out(offBits + static_cast<size_t>(imageSize), 0);

    BYTE* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    StoreLE32(p + 2, offBits + imageSize);
    StoreLE32(p + 10, offBits);  // bytes 6..9 are reserved zeros

    BYTE* h = p + kFileHeaderSize;
    StoreLE32(h + 0, kInfoHeaderSize);
    StoreLE32(h + 4, static_cast<DWORD>(bm.bmWidth));
    StoreLE32(h + 8, static_cast<DWORD>(bm.bmHeight));
    StoreLE16(h + 12, 1);
    StoreLE16(h + 14, bitCount);
    StoreLE32(h + 16, BI_RGB);
    StoreLE32(h + 20, imageSize);  // resolution and colour counts stay 0

    BYTE* t = h + kInfoHeaderSize;
    for (const RGBQUAD& c : table) {
        *t++ = c.rgbBlue;
        *t++ = c.rgbGreen;
        *t++ = c.rgbRed;
        *t++ = 0;
    }

    // Both the DIB and the file keep rows bottom-up, so rows copy across in order.
    const auto* src = static_cast<const BYTE*>(bm.bmBits);
    for (LONG row = 0; row < bm.bmHeight; ++row) {
        std::memcpy(t + static_cast<size_t>(row) * stride,
                    src + static_cast<size_t>(row) * static_cast<size_t>(bm.bmWidthBytes),
                    rowBytes);
    }
    return out;
}
