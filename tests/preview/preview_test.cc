// The preview: where the picture goes, what a paint leaves in the window's pixels at every
// zoom, how mouse moves drag it, keys and Ctrl+wheel zoom it, and the palette swatch.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "doubles/scripted_window_system.h"
#include "preview/preview_geometry.h"
#include "preview/sprite_preview.h"
#include "raster/gdi.h"

namespace {

using namespace preview;

TEST(ZoomGeometry, LevelsPixelsUnderThePointAndAnchors) {
    std::vector<int> up{1}, down{16};
    while (up.size() < 10) up.push_back(StepZoom(up.back(), 1));
    while (down.size() < 10) down.push_back(StepZoom(down.back(), -1));
    EXPECT_EQ(up, (std::vector<int>{1, 2, 3, 4, 6, 8, 12, 16, 16, 16}));
    EXPECT_EQ(down, (std::vector<int>{16, 12, 8, 6, 4, 3, 2, 1, 1, 1}));
    EXPECT_EQ((std::array{StepZoom(5, 1), StepZoom(5, -1), StepZoom(2, 3)}), (std::array{6, 4, 6}));
    // Left of and above the picture is negative, rounded down.
    std::vector<int> under;
    for (int pos : {9, 6, 5, 13, 14}) under.push_back(FramePixelAt(10, 4, pos));
    EXPECT_EQ(under, (std::vector<int>{-1, -1, -2, 0, 1}));
    // Whatever the origin, anchor and levels, the pixel under the anchor stays there.
    for (int from : kZoomLevels)
        for (int to : kZoomLevels)
            for (int origin : {-1000, -37, -1, 0, 5, 211})
                for (int anchor : {0, 1, 7, 100, 415})
                    EXPECT_EQ(
                        FramePixelAt(preview::ZoomOrigin(origin, from, to, anchor), to, anchor),
                        FramePixelAt(origin, from, anchor))
                        << from << "->" << to << " origin " << origin << " anchor " << anchor;
}

constexpr COLORREF kFace = RGB(50, 100, 200);

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        preview.Bind(1010, SS_GRAYRECT | SS_NOTIFY);
        preview.m_rgbBackground = RGBQUAD{200, 100, 50, 0};  // kFace
        ws.Watch(preview);
        preview.PeerSetSize(41, 30);
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
    // Every pixel is that of the frame pixel under it, a zoom x zoom block each, or the
    // background.
    void ExpectPainted() {
        const std::unique_ptr<CBitmap> shot = ws.Paint(preview);
        CRect rc;
        preview.GetClientRect(&rc);
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x) {
                const auto [fx, fy] = Under(x, y);
                const bool on = preview.m_pBitmap && GetBitmapPixel(frame, fx, fy) != CLR_INVALID;
                ASSERT_EQ(GetBitmapPixel(*shot, x, y), on ? RGB(fx, fy, 1) : kFace)
                    << x << ',' << y << " at " << preview.GetZoom() << 'x';
            }
    }
    // The frame pixel under client point (x, y).
    std::pair<int, int> Under(int x, int y) const {
        return {FramePixelAt(preview.m_nOriginX, preview.GetZoom(), x),
                FramePixelAt(preview.m_nOriginY, preview.GetZoom(), y)};
    }
    std::pair<int, int> Origin() const { return {preview.m_nOriginX, preview.m_nOriginY}; }
    bool Repainted() { return std::exchange(repaints, ws.Invalidations(preview)) < repaints; }

    doubles::ScriptedWindowSystem ws;
    CSpritePreview preview;
    CBitmap frame;
    int repaints = 0;
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
        Repainted();
        w < 0 ? preview.SetFrameBitmap(nullptr) : Show(w, h);
        EXPECT_EQ(Origin(), std::pair(ox, oy));
        EXPECT_EQ(preview.m_nLastMouseX + preview.m_nLastMouseY, -2);
        EXPECT_TRUE(Repainted());
        ExpectPainted();  // into an empty window: onto no surface, without a crash
    }
}

TEST_F(PreviewTest, EveryZoomLevelAboutTheCentreKeepsItsPixel) {
    Show(7, 5);
    const auto centre = Under(20, 15);
    for (int level : kZoomLevels) {
        if (level > 1) preview.StepZoomAboutCenter(1);
        EXPECT_EQ(std::pair(preview.GetZoom(), Under(20, 15)), std::pair(level, centre));
        ExpectPainted();
    }
    preview.StepZoomAboutCenter(0);
    EXPECT_EQ(preview.GetZoom(), 1);
}

// A drag moves the picture by the cursor's displacement in client pixels, only
// with the left button and not on the first move after a new picture; Ctrl+wheel zooms
// about the cursor (half notches add up; without Ctrl nothing); a new frame keeps the
// level and is centred; a resize keeps the origin.
TEST_F(PreviewTest, DragWheelNewFrameAndResize) {
    preview.PeerSetSize(30, 20);
    Show(10, 8);
    Repainted();
    preview.UserMouseMove(MK_LBUTTON, 10, 5);  // the first move after a new picture only records
    preview.UserMouseMove(MK_SHIFT | MK_RBUTTON, 20, 15);  // no left button: no move, no repaint
    EXPECT_EQ(Origin(), std::pair(10, 6));
    EXPECT_FALSE(Repainted());
    preview.UserMouseMove(MK_LBUTTON, 23, 11);
    EXPECT_EQ(Origin(), std::pair(13, 2));
    EXPECT_TRUE(Repainted());
    preview.UserMouseMove(MK_LBUTTON, 2, 0);  // wholly out of view to the top left
    EXPECT_EQ(Origin(), std::pair(-8, -9));
    preview.UserResize(50, 7);
    EXPECT_EQ(Origin(), std::pair(-8, -9));
    EXPECT_TRUE(Repainted());
    preview.UserMouseMove(MK_LBUTTON, 12, 3);
    EXPECT_EQ(Origin(), std::pair(2, -6));
    ExpectPainted();
    preview::DragState far{2147483000, 0, 0, 0};  // far out the origin saturates, never wraps
    EXPECT_TRUE(preview::ApplyMouseMove(far, true, 30000, 0));
    EXPECT_EQ(far.originX, 2147483647);

    preview.UserResize(41, 30);
    Show(7, 5);
    preview.StepZoomAboutCenter(3);
    ASSERT_EQ(preview.GetZoom(), 4);
    const auto under = Under(5, 27);
    // Keys, wheel turn, then the zoom.
    for (const auto& [keys, delta, zoom] : {std::tuple{0, WHEEL_DELTA, 4},
                                            {MK_CONTROL, WHEEL_DELTA / 2, 4},
                                            {MK_CONTROL, WHEEL_DELTA / 2, 6},
                                            {MK_CONTROL, -2 * WHEEL_DELTA, 3}}) {
        preview.UserMouseWheel(keys, delta, 5, 27);
        EXPECT_EQ(std::pair(preview.GetZoom(), Under(5, 27)), std::pair(zoom, under));
    }
    ExpectPainted();
    Show(3, 2);
    EXPECT_EQ(preview.GetZoom(), 3);
    EXPECT_EQ(Origin(),
              std::pair(preview::CenterOrigin(0, 41, 9), preview::CenterOrigin(0, 30, 6)));
    ExpectPainted();
}

// The swatch: 16 x 16 square cells as large as fit, centred, each its colour; the index
// under the cursor goes to the owner; the frame comes back as it was.
TEST_F(PreviewTest, SwatchCellsAndTheIndexUnderTheCursor) {
    Show(7, 5);
    RGBQUAD colors[256];
    for (int i = 0; i < 256; ++i) colors[i] = RGBQUAD{BYTE(255 - i), BYTE(i), 7, 0};
    preview.SetSwatch(colors);
    const preview::SwatchLayout s = preview::LayoutSwatch(41, 30);
    EXPECT_EQ(std::make_tuple(s.cell, s.originX, s.originY), std::make_tuple(1, 12, 7));
    const std::unique_ptr<CBitmap> shot = ws.Paint(preview);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 41; ++x) {
            const int i = preview::SwatchIndexAt(s, x, y);
            ASSERT_EQ(GetBitmapPixel(*shot, x, y), i < 0 ? kFace : RGB(7, i, 255 - i))
                << x << ',' << y;
        }
    EXPECT_EQ(preview::LayoutSwatch(100, 70).cell, 4);
    EXPECT_EQ(preview::SwatchIndexAt(preview::LayoutSwatch(100, 70), 18 + 4 * 3 + 3, 3 + 4 * 2),
              2 * 16 + 3);
    std::vector<int> hovered;
    preview.m_onSwatchHover = [&](int i) { hovered.push_back(i); };
    preview.UserMouseMove(0, 12 + 5, 7 + 2);
    preview.UserMouseMove(0, 11, 7);
    EXPECT_EQ(hovered, (std::vector<int>{37, -1}));
    preview.UserMouseWheel(MK_CONTROL, WHEEL_DELTA, 20, 15);  // no zoom over the swatch
    EXPECT_EQ(preview.GetZoom(), 1);
    preview.SetSwatch(nullptr);
    EXPECT_FALSE(preview.IsSwatchShown());
    ExpectPainted();
}

}  // namespace
