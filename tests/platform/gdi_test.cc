// Memory drawing surfaces: fills and block copies between bottom-up bitmaps of the
// formats the preview meets, with clipping on every side.
#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "platform/dialog.h"

namespace {

// A 24-bit DIB section whose pixel (x, y), counted from the top, is RGB(x, y, 7).
HBITMAP MakeGradient(int w, int h) {
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih);
    bih.biWidth = w;
    bih.biHeight = h;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bih, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = b->bits + (h - 1 - y) * b->stride + 3 * x;
            p[0] = 7;
            p[1] = static_cast<BYTE>(y);
            p[2] = static_cast<BYTE>(x);
        }
    return b;
}

struct Surfaces {
    Surfaces(int w, int h, HBITMAP source) : src(source) {
        dst = CreateCompatibleBitmap(nullptr, w, h);
        dstDC = CreateCompatibleDC(nullptr);
        srcDC = CreateCompatibleDC(nullptr);
        oldDst = SelectObject(dstDC, dst);
        oldSrc = SelectObject(srcDC, src);
        SetBkColor(dstDC, RGB(9, 9, 9));
        RECT all{0, 0, w, h};
        ExtTextOutA(dstDC, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    }
    ~Surfaces() {
        SelectObject(dstDC, oldDst);
        SelectObject(srcDC, oldSrc);
        DeleteDC(dstDC);
        DeleteDC(srcDC);
        DeleteObject(dst);
        DeleteObject(src);
    }
    HBITMAP src, dst;
    HDC dstDC, srcDC;
    HGDIOBJ oldDst, oldSrc;
};

struct BlitCase {
    int x, y, cx, cy, xSrc, ySrc;
    friend void PrintTo(const BlitCase& c, std::ostream* os) {
        *os << c.cx << "x" << c.cy << " from " << c.xSrc << "," << c.ySrc << " to " << c.x << ","
            << c.y;
    }
};

class BitBltTest : public ::testing::TestWithParam<BlitCase> {};

// Every destination pixel is either the fill or the source pixel that lands there.
TEST_P(BitBltTest, CopiesTheClippedBlockOneToOne) {
    const BlitCase c = GetParam();
    const int W = 12, H = 9, w = 10, h = 6;
    Surfaces s(W, H, MakeGradient(w, h));
    ASSERT_TRUE(BitBlt(s.dstDC, c.x, c.y, c.cx, c.cy, s.srcDC, c.xSrc, c.ySrc, SRCCOPY));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int sx = x - c.x + c.xSrc, sy = y - c.y + c.ySrc;
            const bool inside = x >= c.x && x < c.x + c.cx && y >= c.y && y < c.y + c.cy &&
                                sx >= 0 && sx < w && sy >= 0 && sy < h;
            const COLORREF want = inside ? RGB(sx, sy, 7) : RGB(9, 9, 9);
            ASSERT_EQ(GetBitmapPixel(s.dst, x, y), want) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Cases, BitBltTest,
                         ::testing::Values(BlitCase{0, 0, 10, 6, 0, 0},    // whole source
                                           BlitCase{2, 3, 4, 2, 5, 1},     // inner block
                                           BlitCase{-3, -2, 10, 6, 0, 0},  // off the top left
                                           BlitCase{8, 7, 10, 6, 0, 0},    // off the bottom right
                                           BlitCase{0, 0, 12, 9, -2, -1},  // source before 0
                                           BlitCase{1, 1, 12, 9, 4, 3},    // source runs out
                                           BlitCase{20, 1, 4, 4, 0, 0},    // nowhere
                                           BlitCase{0, 0, 0, 0, 0, 0}));

TEST(Gdi, OverlappingCopiesWithinOneBitmap) {
    Surfaces s(10, 6, MakeGradient(10, 6));
    ASSERT_TRUE(BitBlt(s.dstDC, 0, 0, 10, 6, s.srcDC, 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(s.dstDC, 0, 1, 10, 5, s.dstDC, 0, 0, SRCCOPY));  // shift down by one
    EXPECT_EQ(GetBitmapPixel(s.dst, 3, 1), RGB(3, 0, 7));
    EXPECT_EQ(GetBitmapPixel(s.dst, 3, 5), RGB(3, 4, 7));
    ASSERT_TRUE(BitBlt(s.dstDC, 0, 0, 9, 6, s.dstDC, 1, 0, SRCCOPY));  // and left by one
    EXPECT_EQ(GetBitmapPixel(s.dst, 3, 5), RGB(4, 4, 7));
    EXPECT_FALSE(BitBlt(s.dstDC, 0, 0, 1, 1, s.srcDC, 0, 0, 0x00EE0086));  // only SRCCOPY
}

TEST(Gdi, EightBitSourcesGoThroughTheirColourTable) {
    const RGBQUAD colors[2] = {{1, 2, 3, 0}, {30, 20, 10, 0}};
    HBITMAP pal = CreateBitmapObject(2, 1, 8, colors, 2);
    ASSERT_NE(pal, nullptr);
    pal->bits[1] = 1;
    Surfaces s(2, 1, pal);
    ASSERT_TRUE(BitBlt(s.dstDC, 0, 0, 2, 1, s.srcDC, 0, 0, SRCCOPY));
    EXPECT_EQ(GetBitmapPixel(s.dst, 0, 0), RGB(3, 2, 1));
    EXPECT_EQ(GetBitmapPixel(s.dst, 1, 0), RGB(10, 20, 30));
}

TEST(Gdi, FillsAreClippedAndTextIsRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(dc, 4, 3);
    HGDIOBJ stock = SelectObject(dc, b);
    ASSERT_NE(stock, nullptr);
    SetBkColor(dc, RGB(5, 6, 7));
    RECT r{-5, 1, 2, 99};
    EXPECT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr));
    EXPECT_EQ(GetBitmapPixel(b, 1, 2), RGB(5, 6, 7));
    EXPECT_EQ(GetBitmapPixel(b, 2, 2), RGB(0, 0, 0));
    EXPECT_EQ(GetBitmapPixel(b, 0, 0), RGB(0, 0, 0));
    EXPECT_FALSE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "A", 1, nullptr));
    EXPECT_EQ(SelectObject(dc, stock), b);
    DeleteDC(dc);
    DeleteObject(b);
}

TEST(Gdi, IconsDrawThroughTheirMask) {
    IconImage image{2, 1, 4, {{0, 0, 255, 0}}, {0, 0}, {0, 1}};
    const IconResource icon{1, {image}};
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(dc, 3, 1);
    HGDIOBJ stock = SelectObject(dc, b);
    EXPECT_TRUE(DrawIcon(dc, 1, 0, &icon));
    EXPECT_EQ(GetBitmapPixel(b, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetBitmapPixel(b, 1, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetBitmapPixel(b, 2, 0), RGB(0, 0, 0));  // masked out
    EXPECT_FALSE(DrawIcon(dc, 0, 0, nullptr));
    SelectObject(dc, stock);
    DeleteDC(dc);
    DeleteObject(b);
}

}  // namespace
