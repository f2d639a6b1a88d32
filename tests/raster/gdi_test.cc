// Memory drawing surfaces: fills and block copies between bottom-up bitmaps of the
// formats the preview meets, with clipping on every side, and icons.
#include "raster/gdi.h"

#include <gtest/gtest.h>

#include "raster/icon.h"

namespace {

// A 24-bit bitmap whose pixel (x, y), counted from the top, is RGB(x, y, 7); its rows
// are written bottom-up here by hand.
HBITMAP MakeGradient(int w, int h) {
    HBITMAP b = CreateBitmapObject(w, h, 24, nullptr, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = b->bits + (h - 1 - y) * b->stride + 3 * x;
            p[0] = 7, p[1] = static_cast<BYTE>(y), p[2] = static_cast<BYTE>(x);
        }
    return b;
}

// A 32-bit destination filled with RGB(9, 9, 9) and a source, each in a memory DC.
struct Surfaces {
    Surfaces(int w, int h, HBITMAP source) {
        src.Attach(source);
        dst.Attach(CreateCompatibleBitmap(nullptr, w, h));
        srcDC.CreateCompatibleDC(nullptr);
        dstDC.CreateCompatibleDC(nullptr);
        srcDC.SelectObject(&src);
        dstDC.SelectObject(&dst);
        const CRect all(0, 0, w, h);
        dstDC.FillSolidRect(&all, RGB(9, 9, 9));
    }
    CBitmap src, dst;
    CDC srcDC, dstDC;
};

// Every destination pixel is either the fill or the source pixel that lands there.
TEST(BitBlt, CopiesTheClippedBlockOneToOne) {
    struct Case {
        int x, y, cx, cy, xSrc, ySrc;
    };
    const Case cases[] = {{0, 0, 10, 6, 0, 0}, {2, 3, 4, 2, 5, 1},    {-3, -2, 10, 6, 0, 0},
                          {8, 7, 10, 6, 0, 0}, {0, 0, 12, 9, -2, -1}, {1, 1, 12, 9, 4, 3},
                          {20, 1, 4, 4, 0, 0}, {0, 0, 0, 0, 0, 0}};
    const int W = 12, H = 9, w = 10, h = 6;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cx << "x" << c.cy << " from " << c.xSrc << ","
                                        << c.ySrc << " to " << c.x << "," << c.y);
        Surfaces s(W, H, MakeGradient(w, h));
        ASSERT_TRUE(BitBlt(s.dstDC, c.x, c.y, c.cx, c.cy, s.srcDC, c.xSrc, c.ySrc, SRCCOPY));
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int sx = x - c.x + c.xSrc, sy = y - c.y + c.ySrc;
                const bool inside = x >= c.x && x < c.x + c.cx && y >= c.y && y < c.y + c.cy &&
                                    sx >= 0 && sx < w && sy >= 0 && sy < h;
                ASSERT_EQ(GetBitmapPixel(s.dst, x, y), inside ? RGB(sx, sy, 7) : RGB(9, 9, 9))
                    << x << "," << y;
            }
    }
}

TEST(BitBlt, CopiesWithinOneBitmapAndThroughAColourTable) {
    Surfaces s(10, 6, MakeGradient(10, 6));
    ASSERT_TRUE(BitBlt(s.dstDC, 0, 0, 10, 6, s.srcDC, 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(s.dstDC, 0, 1, 10, 5, s.dstDC, 0, 0, SRCCOPY));  // down by one, in place
    EXPECT_EQ(GetBitmapPixel(s.dst, 3, 5), RGB(3, 4, 7));
    const RGBQUAD colors[2] = {{1, 2, 3, 0}, {30, 20, 10, 0}};
    Surfaces t(2, 1, CreateBitmapObject(2, 1, 8, colors, 2));
    static_cast<HBITMAP>(t.src)->bits[1] = 1;
    ASSERT_TRUE(BitBlt(t.dstDC, 0, 0, 2, 1, t.srcDC, 0, 0, SRCCOPY));
    EXPECT_EQ(GetBitmapPixel(t.dst, 0, 0), RGB(3, 2, 1));
    EXPECT_EQ(GetBitmapPixel(t.dst, 1, 0), RGB(10, 20, 30));
}

// Fills clip to the surface, text is refused, icons draw through their mask.
TEST(Gdi, FillsIconsAndText) {
    const IconResource icon{1, {IconImage{2, 1, 4, {{0, 0, 255, 0}}, {0, 0}, {0, 1}}}};
    Surfaces s(4, 3, CreateCompatibleBitmap(nullptr, 1, 1));
    const CRect r(-5, 1, 2, 99);
    s.dstDC.FillSolidRect(&r, RGB(5, 6, 7));
    EXPECT_FALSE(s.dstDC.ExtTextOut(0, 0, ETO_OPAQUE, &r, "A", 1));
    EXPECT_TRUE(DrawIcon(s.dstDC, 1, 0, &icon));
    EXPECT_FALSE(DrawIcon(s.dstDC, 0, 0, nullptr));
    const COLORREF fill = RGB(5, 6, 7), old = RGB(9, 9, 9);
    const COLORREF want[3][4] = {
        {old, RGB(255, 0, 0), old, old}, {fill, fill, old, old}, {fill, fill, old, old}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(GetBitmapPixel(s.dst, x, y), want[y][x]) << x << y;
}

}  // namespace
