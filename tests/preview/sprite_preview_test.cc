// The preview: where the picture goes, what a paint leaves in the window's pixels, and
// how mouse moves drag it.
#include "preview/sprite_preview.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <utility>

#include "doubles/scripted_window_system.h"
#include "preview/preview_geometry.h"
#include "raster/gdi.h"

namespace {

constexpr COLORREF kFace = RGB(50, 100, 200);

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        preview.Bind(1010, SS_GRAYRECT | SS_NOTIFY);
        preview.m_rgbBackground = RGBQUAD{200, 100, 50, 0};  // kFace
        ws.Watch(preview);
    }
    // A 24-bit frame whose pixel (x, y), counted from the top, is RGB(x, y, 1).
    void Show(int w, int h) {
        frame.DeleteObject();
        HBITMAP b = CreateBitmapObject(w, h, 24, nullptr, 0);
        for (int i = 0; i < w * h; ++i) {
            BYTE* p = b->bits + (h - 1 - i / w) * b->stride + 3 * (i % w);
            p[0] = 1, p[1] = static_cast<BYTE>(i / w), p[2] = static_cast<BYTE>(i % w);
        }
        frame.Attach(b);
        preview.SetFrameBitmap(&frame);
    }
    // Every pixel is the frame's pixel under it or the background.
    void ExpectPainted() {
        const std::unique_ptr<CBitmap> shot = ws.Paint(preview);
        CRect rc;
        preview.GetClientRect(&rc);
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x) {
                const int fx = x - preview.m_nOriginX, fy = y - preview.m_nOriginY;
                const bool on = preview.m_pBitmap && GetBitmapPixel(frame, fx, fy) != CLR_INVALID;
                ASSERT_EQ(GetBitmapPixel(*shot, x, y), on ? RGB(fx, fy, 1) : kFace)
                    << x << ',' << y;
            }
    }
    std::pair<int, int> Origin() const { return {preview.m_nOriginX, preview.m_nOriginY}; }
    doubles::ScriptedWindowSystem ws;
    CSpritePreview preview;
    CBitmap frame;
};

TEST_F(PreviewTest, CentresThePictureAndForgetsTheLastMousePosition) {
    // The client's size, the picture's (w < 0: none) and the origin that centres it.
    using C = std::array<int, 6>;
    for (const auto& [cw, ch, w, h, ox, oy] :
         {C{20, 10, 20, 10, 0, 0}, C{20, 11, 5, 4, 7, 3}, C{20, 10, 23, 13, -1, -1},
          C{8, 6, 40, 30, -16, -12}, C{21, 9, -1, -1, 10, 4}, C{0, 0, 3, 3, -1, -1}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " in " << cw << "x" << ch);
        preview.PeerSetSize(cw, ch);
        preview.m_nLastMouseX = preview.m_nLastMouseY = 3;
        const int repaints = ws.Invalidations(preview);
        w < 0 ? preview.SetFrameBitmap(nullptr) : Show(w, h);
        EXPECT_EQ(Origin(), std::pair(ox, oy));
        EXPECT_EQ(preview.m_nLastMouseX + preview.m_nLastMouseY, -2);
        EXPECT_GT(ws.Invalidations(preview), repaints);
        ExpectPainted();  // into an empty window: onto no surface, without a crash
    }
}

TEST_F(PreviewTest, DragsByTheDisplacementOnlyWithTheLeftButton) {
    preview.PeerSetSize(30, 20);
    Show(10, 8);
    int repaints = ws.Invalidations(preview);
    const auto repainted = [&] {
        return std::exchange(repaints, ws.Invalidations(preview)) < repaints;
    };
    preview.UserMouseMove(MK_LBUTTON, 10, 5);  // the first move after a new picture only records
    preview.UserMouseMove(MK_SHIFT | MK_RBUTTON, 20, 15);  // no left button: no move, no repaint
    EXPECT_EQ(Origin(), std::pair(10, 6));
    EXPECT_FALSE(repainted());
    preview.UserMouseMove(MK_LBUTTON, 23, 11);
    EXPECT_EQ(Origin(), std::pair(13, 2));
    EXPECT_TRUE(repainted());
    preview.UserMouseMove(MK_LBUTTON, 2, 0);  // wholly out of view to the top left
    EXPECT_EQ(Origin(), std::pair(-8, -9));

    preview.UserResize(50, 7);  // keeps the dragged origin, repaints
    EXPECT_EQ(Origin(), std::pair(-8, -9));
    EXPECT_TRUE(repainted());
    preview.UserMouseMove(MK_LBUTTON, 12, 3);
    EXPECT_EQ(Origin(), std::pair(2, -6));
    ExpectPainted();
    preview::DragState far{2147483000, 0, 0, 0};  // far out the origin saturates, never wraps
    EXPECT_TRUE(preview::ApplyMouseMove(far, true, 30000, 0));
    EXPECT_EQ(far.originX, 2147483647);
}

}  // namespace
