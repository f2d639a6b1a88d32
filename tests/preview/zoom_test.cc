// Zoom: the arithmetic, and the preview's pixels at every level while it is zoomed by
// keys about its centre and by Ctrl+wheel about the cursor, dragged and resized.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <vector>

#include "preview/preview_geometry.h"
#include "preview/sprite_preview.h"
#include "raster/gdi.h"
#include "doubles/scripted_window_system.h"

namespace {

using preview::kZoomLevels;

TEST(ZoomGeometry, LevelsPixelsUnderThePointAndAnchors) {
    std::vector<int> up{1}, down{16};
    while (up.size() < 10) up.push_back(preview::StepZoom(up.back(), 1));
    while (down.size() < 10) down.push_back(preview::StepZoom(down.back(), -1));
    EXPECT_EQ(up, (std::vector<int>{1, 2, 3, 4, 6, 8, 12, 16, 16, 16}));
    EXPECT_EQ(down, (std::vector<int>{16, 12, 8, 6, 4, 3, 2, 1, 1, 1}));
    EXPECT_EQ(preview::StepZoom(5, 1), 6);
    EXPECT_EQ(preview::StepZoom(5, -1), 4);
    EXPECT_EQ(preview::StepZoom(2, 3), 6);
    // Left of and above the picture is negative, rounded down.
    EXPECT_EQ(preview::FramePixelAt(10, 4, 9), -1);
    EXPECT_EQ(preview::FramePixelAt(10, 4, 6), -1);
    EXPECT_EQ(preview::FramePixelAt(10, 4, 5), -2);
    EXPECT_EQ(preview::FramePixelAt(10, 4, 13), 0);
    EXPECT_EQ(preview::FramePixelAt(10, 4, 14), 1);
    // Whatever the origin, anchor and levels, the pixel under the anchor stays there.
    for (int from : kZoomLevels)
        for (int to : kZoomLevels)
            for (int origin : {-1000, -37, -1, 0, 5, 211})
                for (int anchor : {0, 1, 7, 100, 415}) {
                    const int moved = preview::ZoomOrigin(origin, from, to, anchor);
                    EXPECT_EQ(preview::FramePixelAt(moved, to, anchor),
                              preview::FramePixelAt(origin, from, anchor))
                        << from << "->" << to << " origin " << origin << " anchor " << anchor;
                }
}

constexpr COLORREF kFace = RGB(50, 100, 200);

class ZoomTest : public ::testing::Test {
protected:
    void SetUp() override {
        preview.Bind(1010, SS_GRAYRECT | SS_NOTIFY);
        preview.m_rgbBackground = RGBQUAD{200, 100, 50, 0};  // kFace
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
        const int z = preview.GetZoom();
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 41; ++x) {
                const int fx = preview::FramePixelAt(preview.m_nOriginX, z, x),
                          fy = preview::FramePixelAt(preview.m_nOriginY, z, y);
                const bool on = GetBitmapPixel(frame, fx, fy) != CLR_INVALID;
                ASSERT_EQ(GetBitmapPixel(*shot, x, y), on ? RGB(fx, fy, 1) : kFace)
                    << x << ',' << y << " at " << z << 'x';
            }
    }
    // The frame pixel under client point (x, y).
    std::pair<int, int> Under(int x, int y) const {
        return {preview::FramePixelAt(preview.m_nOriginX, preview.GetZoom(), x),
                preview::FramePixelAt(preview.m_nOriginY, preview.GetZoom(), y)};
    }

    doubles::ScriptedWindowSystem ws;
    CSpritePreview preview;
    CBitmap frame;
};

TEST_F(ZoomTest, EveryLevelAboutTheCentreKeepsItsPixel) {
    Show(7, 5);
    EXPECT_EQ(preview.GetZoom(), 1);
    ExpectPainted();
    for (int level : kZoomLevels) {
        if (level == 1) continue;
        const auto centre = Under(20, 15);
        preview.StepZoomAboutCenter(1);
        EXPECT_EQ(preview.GetZoom(), level);
        EXPECT_EQ(Under(20, 15), centre) << level;
        ExpectPainted();
    }
    preview.StepZoomAboutCenter(1);
    EXPECT_EQ(preview.GetZoom(), 16);
    preview.StepZoomAboutCenter(-1);
    EXPECT_EQ(preview.GetZoom(), 12);
    preview.StepZoomAboutCenter(0);
    EXPECT_EQ(preview.GetZoom(), 1);
    ExpectPainted();
}

// A drag at 4x moves the picture by the cursor's displacement; Ctrl+wheel zooms about the
// cursor (half notches add up; without Ctrl nothing); a new frame keeps the level and is
// centred; a resize keeps the origin.
TEST_F(ZoomTest, DragWheelNewFrameAndResize) {
    Show(7, 5);
    preview.StepZoomAboutCenter(3);
    ASSERT_EQ(preview.GetZoom(), 4);
    const int ox = preview.m_nOriginX, oy = preview.m_nOriginY;
    preview.UserMouseMove(MK_LBUTTON, 10, 10);
    preview.UserMouseMove(MK_LBUTTON, 13, 8);
    EXPECT_EQ(std::pair(preview.m_nOriginX, preview.m_nOriginY), std::pair(ox + 3, oy - 2));
    ExpectPainted();

    const auto under = Under(5, 27);
    preview.UserMouseWheel(0, WHEEL_DELTA, 5, 27);
    EXPECT_EQ(preview.GetZoom(), 4);
    preview.UserMouseWheel(MK_CONTROL, WHEEL_DELTA / 2, 5, 27);
    EXPECT_EQ(preview.GetZoom(), 4);
    preview.UserMouseWheel(MK_CONTROL, WHEEL_DELTA / 2, 5, 27);
    EXPECT_EQ(preview.GetZoom(), 6);
    EXPECT_EQ(Under(5, 27), under);
    preview.UserMouseWheel(MK_CONTROL, -2 * WHEEL_DELTA, 5, 27);
    EXPECT_EQ(preview.GetZoom(), 3);
    EXPECT_EQ(Under(5, 27), under);
    ExpectPainted();

    Show(3, 2);
    EXPECT_EQ(preview.GetZoom(), 3);
    EXPECT_EQ(std::pair(preview.m_nOriginX, preview.m_nOriginY),
              std::pair(preview::CenterOrigin(0, 41, 9), preview::CenterOrigin(0, 30, 6)));
    ExpectPainted();
    preview.UserMouseMove(MK_LBUTTON, 1, 1);
    preview.UserMouseMove(MK_LBUTTON, 0, 3);
    const std::pair dragged(preview.m_nOriginX, preview.m_nOriginY);
    preview.UserResize(60, 50);
    EXPECT_EQ(std::pair(preview.m_nOriginX, preview.m_nOriginY), dragged);
}

// The swatch: 16 x 16 square cells as large as fit, centred, each its colour; the index
// under the cursor goes to the owner; the frame comes back as it was.
TEST_F(ZoomTest, SwatchCellsAndTheIndexUnderTheCursor) {
    Show(7, 5);
    RGBQUAD colors[256];
    for (int i = 0; i < 256; ++i) colors[i] = RGBQUAD{BYTE(255 - i), BYTE(i), 7, 0};
    preview.SetSwatch(colors);
    const preview::SwatchLayout s = preview::LayoutSwatch(41, 30);
    EXPECT_EQ(s.cell, 1);
    EXPECT_EQ(std::pair(s.originX, s.originY), std::pair(12, 7));
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
