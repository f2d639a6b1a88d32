// The preview: where the picture goes, what a paint leaves in the window's pixels, and
// how mouse moves drag it.
#include "preview/sprite_preview.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "platform/gdi.h"
#include "preview/preview_geometry.h"
#include "support/scripted_window_system.h"

namespace {

using testsupport::ScriptedWindowSystem;

constexpr RGBQUAD kFace{200, 100, 50, 0};  // blue, green, red
constexpr COLORREF kFaceColor = RGB(50, 100, 200);

// A frame bitmap like the builder's: 24-bit DIB, pixel (x, y) from the top = RGB(x, y, 1).
void MakeFrame(CBitmap& bmp, int w, int h) {
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih);
    bih.biWidth = w;
    bih.biHeight = h;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bih, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(b, nullptr);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = b->bits + (h - 1 - y) * b->stride + 3 * x;
            p[0] = 1;
            p[1] = static_cast<BYTE>(y);
            p[2] = static_cast<BYTE>(x);
        }
    bmp.Attach(b);
}

class PreviewTest : public ::testing::Test {
protected:
    void Open(int cx, int cy) {
        preview.Bind(1010, SS_GRAYRECT | SS_NOTIFY);
        preview.PeerSetSize(cx, cy);
        preview.m_rgbBackground = kFace;
        ws.Watch(preview);
    }
    // Every pixel is the frame's pixel under it or the background.
    void ExpectPainted() {
        std::unique_ptr<CBitmap> shot = ws.Paint(preview);
        BITMAP fb{};
        const bool frame = preview.m_pBitmap && preview.m_pBitmap->GetBitmap(&fb);
        CRect rc;
        preview.GetClientRect(&rc);
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x) {
                const int fx = x - preview.m_nOriginX, fy = y - preview.m_nOriginY;
                const bool on = frame && fx >= 0 && fx < fb.bmWidth && fy >= 0 && fy < fb.bmHeight;
                ASSERT_EQ(GetBitmapPixel(*shot, x, y), on ? RGB(fx, fy, 1) : kFaceColor)
                    << x << "," << y;
            }
        EXPECT_FALSE(preview.NeedsPaint());
    }
    ScriptedWindowSystem ws;
    CSpritePreview preview;
    CBitmap frame;
};

struct CentreCase {
    int clientW, clientH, w, h;  // w < 0: no bitmap
    int originX, originY;
    friend void PrintTo(const CentreCase& c, std::ostream* os) {
        *os << c.w << "x" << c.h << " in " << c.clientW << "x" << c.clientH;
    }
};

class CentreTest : public PreviewTest, public ::testing::WithParamInterface<CentreCase> {};

TEST_P(CentreTest, PlacesAndPaintsThePicture) {
    const CentreCase c = GetParam();
    Open(c.clientW, c.clientH);
    if (c.w >= 0) MakeFrame(frame, c.w, c.h);
    preview.m_nLastMouseX = preview.m_nLastMouseY = 3;
    const int before = ws.Invalidations(preview);
    preview.SetFrameBitmap(c.w >= 0 ? &frame : nullptr);
    EXPECT_EQ(preview.m_nOriginX, c.originX);
    EXPECT_EQ(preview.m_nOriginY, c.originY);
    EXPECT_EQ(preview.m_nLastMouseX, -1);
    EXPECT_EQ(preview.m_nLastMouseY, -1);
    EXPECT_EQ(ws.Invalidations(preview), before + 1);
    ExpectPainted();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CentreTest,
    ::testing::Values(CentreCase{20, 10, 20, 10, 0, 0},    // covers the client exactly
                      CentreCase{20, 10, 19, 9, 0, 0},     // spare column and row right, bottom
                      CentreCase{20, 10, 23, 13, -1, -1},  // one hidden left, two right
                      CentreCase{20, 11, 6, 4, 7, 3},      // odd leftovers
                      CentreCase{8, 6, 40, 30, -16, -12},  // far larger: its middle shows
                      CentreCase{21, 9, -1, -1, 10, 4}));  // no bitmap: background only

TEST_F(PreviewTest, DraggingFollowsTheLeftButton) {
    Open(30, 20);
    MakeFrame(frame, 10, 8);
    preview.SetFrameBitmap(&frame);
    ws.Paint(preview);
    const int origin[2] = {preview.m_nOriginX, preview.m_nOriginY};
    int repaints = ws.Invalidations(preview);

    preview.UserMouseMove(MK_LBUTTON, 10, 5);  // first move only records
    EXPECT_EQ(preview.m_nOriginX, origin[0]);
    EXPECT_EQ(ws.Invalidations(preview), repaints);
    preview.UserMouseMove(MK_LBUTTON, 13, 1);
    EXPECT_EQ(preview.m_nOriginX, origin[0] + 3);
    EXPECT_EQ(preview.m_nOriginY, origin[1] - 4);
    EXPECT_EQ(ws.Invalidations(preview), ++repaints);
    ExpectPainted();

    preview.UserMouseMove(MK_SHIFT | MK_RBUTTON, 20, 15);  // no left button: no repaint
    EXPECT_EQ(ws.Invalidations(preview), repaints);
    EXPECT_FALSE(preview.NeedsPaint());
    EXPECT_EQ(preview.m_nLastMouseX, 20);

    // Out of the window and back in elsewhere, button held: the whole displacement.
    preview.UserMouseMove(MK_LBUTTON, 2, 19);
    EXPECT_EQ(preview.m_nOriginX, origin[0] + 3 - 18);
    EXPECT_EQ(preview.m_nOriginY, origin[1] - 4 + 4);

    // Wholly out of view and back.
    preview.UserMouseMove(MK_LBUTTON, 29, 0);
    EXPECT_LE(preview.m_nOriginY + 8, 0);
    ExpectPainted();
    preview.UserMouseMove(MK_LBUTTON, 2, 19);
    EXPECT_EQ(preview.m_nOriginY, origin[1]);
    ExpectPainted();

    preview.SetFrameBitmap(&frame);  // recentres and forgets the last position
    preview.UserMouseMove(MK_LBUTTON, 5, 5);
    EXPECT_EQ(preview.m_nOriginX, origin[0]);
}

TEST_F(PreviewTest, AResizeKeepsTheDraggedOrigin) {
    Open(30, 20);
    MakeFrame(frame, 10, 8);
    preview.SetFrameBitmap(&frame);
    preview.UserMouseMove(MK_LBUTTON, 0, 0);
    preview.UserMouseMove(MK_LBUTTON, 4, 2);
    const int x = preview.m_nOriginX, y = preview.m_nOriginY;
    ws.Paint(preview);
    const int repaints = ws.Invalidations(preview);
    preview.UserResize(50, 7);
    EXPECT_EQ(preview.m_nOriginX, x);
    EXPECT_EQ(preview.m_nOriginY, y);
    EXPECT_EQ(ws.Invalidations(preview), repaints + 1);
    EXPECT_TRUE(preview.NeedsErase());
    ExpectPainted();
}

TEST_F(PreviewTest, NothingToPaintIntoAnEmptyWindow) {
    Open(0, 0);
    MakeFrame(frame, 3, 3);
    preview.SetFrameBitmap(&frame);
    EXPECT_EQ(ws.Paint(preview)->GetSafeHandle(), nullptr);
    EXPECT_FALSE(preview.NeedsPaint());
}

// The origin is unbounded: far out, the arithmetic must neither wrap nor overflow.
TEST(PreviewGeometry, FarOriginsNeitherWrapNorOverflow) {
    const preview::Span s = preview::ClipSpan(2147483647, 65535, 10);
    EXPECT_EQ(s.dest, 2147483647);
    EXPECT_LT(s.length, 1);
    const preview::Span t = preview::ClipSpan(-2147483647 - 1, 65535, 10);
    EXPECT_LT(t.length, 1);
    preview::DragState far{2147483000, 0, 0, 0};
    EXPECT_TRUE(preview::ApplyMouseMove(far, true, 30000, 0));
    EXPECT_EQ(far.originX, 2147483647);
}

}  // namespace
