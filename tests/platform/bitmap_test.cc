#include "platform/bitmap.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

BITMAPINFOHEADER Header(LONG w, LONG h, WORD bits) {
    BITMAPINFOHEADER hdr{};
    hdr.biSize = sizeof hdr;
    hdr.biWidth = w;
    hdr.biHeight = h;
    hdr.biPlanes = 1;
    hdr.biBitCount = bits;
    hdr.biCompression = BI_RGB;
    return hdr;
}

struct StrideCase {
    LONG width, height;
    WORD bits;
    LONG stride;
};

class DibStrideTest : public ::testing::TestWithParam<StrideCase> {};

TEST_P(DibStrideTest, RowsPaddedToFourBytesAndZeroed) {
    const StrideCase& c = GetParam();
    const BITMAPINFOHEADER hdr = Header(c.width, c.height, c.bits);
    void* bits = nullptr;
    CBitmap bmp;
    ASSERT_TRUE(
        bmp.Attach(CreateDIBSection(nullptr, &hdr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0)));
    ASSERT_NE(bits, nullptr);

    DIBSECTION ds{};
    ASSERT_EQ(GetObject(bmp.GetSafeHandle(), sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, c.width);
    EXPECT_EQ(ds.dsBm.bmHeight, c.height);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, c.stride);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, c.bits);
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(c.stride * c.height));
    const BYTE* p = static_cast<const BYTE*>(bits);
    EXPECT_EQ(std::vector<BYTE>(p, p + c.stride * c.height),
              std::vector<BYTE>(static_cast<size_t>(c.stride * c.height), 0));

    BITMAP bm{};
    EXPECT_EQ(bmp.GetBitmap(&bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidthBytes, c.stride);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DibStrideTest,
                         ::testing::Values(StrideCase{5, 3, 24, 16}, StrideCase{5, 3, 8, 8},
                                           StrideCase{4, 1, 24, 12}, StrideCase{3, 2, 32, 12},
                                           StrideCase{1, 1, 8, 4}, StrideCase{9, 1, 1, 4},
                                           StrideCase{33, 1, 1, 8}));

TEST(DibTest, RefusedHeadersCreateNothing) {
    const size_t live = GetLiveBitmapCount();
    std::vector<BITMAPINFOHEADER> bad(9, Header(4, 4, 24));
    bad[0].biWidth = 0;
    bad[1].biHeight = 0;
    bad[2].biHeight = -4;  // top-down rows are not supported
    bad[3].biBitCount = 7;
    bad[4].biPlanes = 2;
    bad[5].biCompression = 1;
    bad[6].biSize = 12;
    bad[7].biWidth = 65536;  // 16 GiB at 32 bits
    bad[7].biHeight = 65536;
    bad[7].biBitCount = 32;
    bad[8].biBitCount = 4;
    bad[8].biClrUsed = 17;
    RGBQUAD table[256] = {};
    for (const BITMAPINFOHEADER& hdr : bad) {
        int dummy = 0;
        void* bits = &dummy;
        EXPECT_EQ(CreateDIBSection(nullptr, &hdr, table, DIB_RGB_COLORS, &bits, nullptr, 0),
                  nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    const BITMAPINFOHEADER good = Header(4, 4, 24);
    int section = 0;
    EXPECT_EQ(CreateDIBSection(nullptr, &good, nullptr, 1, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, &good, nullptr, DIB_RGB_COLORS, nullptr, &section, 0),
              nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0),
              nullptr);
    EXPECT_EQ(GetLiveBitmapCount(), live);
}

TEST(CBitmapTest, OwnsExactlyOneHandle) {
    const size_t live = GetLiveBitmapCount();
    HBITMAP first = CreateBitmapObject(2, 2, 32, nullptr, 0);
    HBITMAP second = CreateBitmapObject(2, 2, 8, nullptr, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    {
        CBitmap bmp;
        EXPECT_TRUE(bmp.IsEmpty());
        EXPECT_FALSE(bmp.Attach(nullptr));
        EXPECT_FALSE(bmp.DeleteObject());
        ASSERT_TRUE(bmp.Attach(first));
        EXPECT_FALSE(bmp.Attach(second));  // already holds one
        EXPECT_EQ(bmp.Detach(), first);
        EXPECT_TRUE(bmp.IsEmpty());
        ASSERT_TRUE(bmp.Attach(first));
        EXPECT_TRUE(bmp.DeleteObject());
        EXPECT_TRUE(bmp.IsEmpty());
        EXPECT_EQ(AsBitmap(first), nullptr);
        ASSERT_TRUE(bmp.Attach(second));
    }  // the destructor deletes what it holds
    EXPECT_EQ(AsBitmap(second), nullptr);
    EXPECT_EQ(GetLiveBitmapCount(), live);

    // Stale handles are refused rather than freed twice.
    EXPECT_FALSE(DeleteObject(first));
    BITMAP bm{};
    EXPECT_EQ(GetObject(first, sizeof bm, &bm), 0);
}

}  // namespace
