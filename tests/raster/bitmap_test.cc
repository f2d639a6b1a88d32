// Bitmaps in memory: rows padded to 4 bytes and zeroed, refusals that leave nothing behind, and
// one owner per handle.
#include "raster/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

static BITMAPINFOHEADER Header(LONG w, LONG h, WORD bits, WORD planes = 1, DWORD compression = 0,
                               DWORD size = 40, DWORD used = 0) {
    return {size, w, h, planes, bits, compression, 0, 0, 0, used, 0};
}

TEST(DibSection, RowsPaddedToFourBytesAndZeroed) {
    // Width, height, bits per pixel and the row stride that follows.
    for (const auto& [w, h, bits, s] :
         {std::tuple{5, 3, 24, 16}, {5, 3, 8, 8}, {3, 2, 32, 12}, {4, 1, 24, 12}, {33, 1, 1, 8}}) {
        const BITMAPINFOHEADER hdr = Header(w, h, WORD(bits));
        void* pv = nullptr;
        CBitmap bmp;
        ASSERT_TRUE(bmp.Attach(CreateDIBSection(nullptr, &hdr, nullptr, 0, &pv, nullptr, 0)));
        BITMAP bm{};
        ASSERT_EQ(bmp.GetBitmap(&bm), int(sizeof bm));
        const BYTE* p = static_cast<const BYTE*>(pv);
        EXPECT_EQ(std::make_tuple(bm.bmWidthBytes, bm.bmBits, std::count(p, p + s * h, 0)),
                  std::make_tuple(s, pv, long(s * h)))
            << w << " x " << h << " x " << bits;
    }
}

TEST(DibSection, RefusedHeadersCreateNothing) {
    const size_t live = GetLiveBitmapCount();
    RGBQUAD table[256] = {};
    // Width 0, top-down rows, 7 bits, 2 planes, compression, a short header, 16 GiB of pixels
    // and 17 colours for 4 bits.
    for (const BITMAPINFOHEADER& hdr :
         {Header(0, 4, 24), Header(4, -4, 24), Header(4, 4, 7), Header(4, 4, 24, 2),
          Header(4, 4, 24, 1, 1), Header(4, 4, 24, 1, 0, 12), Header(65536, 65536, 32),
          Header(4, 4, 4, 1, 0, 40, 17)}) {
        void* bits = table;
        EXPECT_EQ(CreateDIBSection(nullptr, &hdr, table, 0, &bits, nullptr, 0), nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    EXPECT_EQ(GetLiveBitmapCount(), live);
}

TEST(CBitmapTest, OwnsExactlyOneHandle) {
    const size_t live = GetLiveBitmapCount();
    HBITMAP first = CreateBitmapObject(2, 2, 32, nullptr, 0);
    {
        CBitmap bmp;
        EXPECT_FALSE(bmp.Attach(nullptr) || bmp.DeleteObject());
        ASSERT_TRUE(bmp.Attach(first));
        EXPECT_FALSE(bmp.Attach(first));  // it holds one already
        ASSERT_TRUE(bmp.DeleteObject() && bmp.IsEmpty());
        ASSERT_TRUE(bmp.Attach(CreateBitmapObject(2, 2, 8, nullptr, 0)));
    }  // the destructor deletes what it holds
    EXPECT_EQ(GetLiveBitmapCount(), live);
    EXPECT_FALSE(DeleteObject(first) || GetObject(first, 0, nullptr));  // stale handles
}
