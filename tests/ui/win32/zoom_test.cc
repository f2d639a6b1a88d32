// Zoom, the status line and the grown window on the system's own dialog: keys and the wheel
// through the dialog's message loop, a drag at 4x, what the window shows, and the layout.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/spr2_builder.h"
#include "desktop/session_file.h"
#include "dialog_fixture.h"
#include "driver.h"
#include "raster/bitmap.h"
#include "raster/gdi.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/win32_window_system.h"

using namespace builders;
using driver::NativeWindow;

namespace {

constexpr std::uint32_t kRed = 0xFF0000;

void RunModal(CDialog& dlg, std::function<void()> script) {
    driver::Poll([&dlg, script] {
        script();
        if (!dlg.IsEnded()) dlg.EndDialog(-1);
        return true;
    });
    dlg.DoModal();
}

class ViewTest : public Win32DialogTest {
protected:
    void SetUp() override {
        SetUpDialog("zoom.iff");
        if (ws) ws->SetFileChooser([this](const FileChooserRequest&) { return path; });
    }
    // The 10 x 8 red frame as the window prints itself: each of its pixels a z x z block
    // at the model's origin, every other pixel the face.
    void ExpectShownAt(int z) {
        ASSERT_EQ(dlg->m_preview.GetZoom(), z);
        const driver::Picture shown = driver::Capture(Item(IDC_PREVIEW));
        const int ox = dlg->m_preview.m_nOriginX, oy = dlg->m_preview.m_nOriginY;
        int wrong = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x) {
                const bool in = x >= ox && x < ox + 10 * z && y >= oy && y < oy + 8 * z;
                wrong += (shown.At(x, y) == kRed) != in;
            }
        EXPECT_EQ(wrong, 0) << "at " << z << "x";
    }
};

TEST_F(ViewTest, ZoomKeysFromAnyControlWheelDragAndTheStatusLine) {
    RunModal(*dlg, [&] {
        driver::Click(Item(IDC_BROWSE));
        ExpectShownAt(1);
        EXPECT_EQ(driver::Text(Item(IDC_STATUS)), "Frame 0 uses its own palette 1.");
        const NativeWindow item = Item(IDC_ITEM_PALETTE);
        driver::SetFocusTo(item);         // the edit of a palette box leaves these keys alone
        driver::CtrlKey(Window(), 0xBB);  // VK_OEM_PLUS: Ctrl+=
        ExpectShownAt(2);
        driver::CtrlKey(Window(), 0xBB, true);  // Ctrl+Shift+=: Ctrl++
        ExpectShownAt(3);
        EXPECT_EQ(driver::Text(item), "1");
        driver::SetFocusTo(Item(IDC_SPRITES));
        driver::CtrlKey(Window(), 0x6B);  // the keypad's +
        ExpectShownAt(4);
        driver::CtrlKey(Window(), 0xBD);  // Ctrl+-
        ExpectShownAt(3);
        driver::CtrlKey(Window(), 0x6D);  // the keypad's -
        ExpectShownAt(2);
        driver::CtrlKey(Window(), '0');
        ExpectShownAt(1);

        // Ctrl+wheel over the preview, sent to the focus as the system does: the frame
        // pixel under the cursor stays under it.
        const NativeWindow preview = Item(IDC_PREVIEW);
        const int cx = dlg->m_preview.m_nOriginX + 7, cy = dlg->m_preview.m_nOriginY + 2;
        int sx = cx, sy = cy;
        driver::ClientToScreen(preview, &sx, &sy);
        driver::Wheel(Window(), false, 120, sx, sy);
        ExpectShownAt(1);
        for (int z : {2, 3, 4}) {
            driver::Wheel(Window(), true, 120, sx, sy);
            ExpectShownAt(z);
            EXPECT_EQ((cx - dlg->m_preview.m_nOriginX) / z, 7);
            EXPECT_EQ((cy - dlg->m_preview.m_nOriginY) / z, 2);
        }

        // A drag at 4x, then the pixel readout over frame pixel (3, 5) and off the frame.
        const int ox = dlg->m_preview.m_nOriginX, oy = dlg->m_preview.m_nOriginY;
        driver::MouseMove(preview, false, 20, 20);
        driver::MouseMove(preview, true, 25, 17);
        driver::MouseMove(preview, false, 25, 17);
        EXPECT_EQ(dlg->m_preview.m_nOriginX, ox + 5);
        EXPECT_EQ(dlg->m_preview.m_nOriginY, oy - 3);
        ExpectShownAt(4);
        driver::MouseMove(preview, false, dlg->m_preview.m_nOriginX + 13,
                          dlg->m_preview.m_nOriginY + 21);
        EXPECT_EQ(driver::Text(Item(IDC_STATUS)),
                  "Pixel 3, 5: colour 5 (red 255, green 0, blue 0), depth 255, alpha 255");
        driver::MouseMove(preview, false, 1, 1);
        EXPECT_EQ(driver::Text(Item(IDC_STATUS)), "Frame 0 uses its own palette 1.");

        // The palette's colours on Ctrl+P, the next palette on Ctrl+PgDn.
        driver::CtrlKey(Window(), 'P');
        EXPECT_TRUE(dlg->m_preview.IsSwatchShown());
        driver::CtrlKey(Window(), 0x22);  // VK_NEXT
        EXPECT_EQ(driver::Text(Item(IDC_STATUS)),
                  "Palette 2: Ctrl+PgUp/PgDn for the others, Ctrl+P for the frame.");
        const driver::Picture swatch = driver::Capture(preview);
        EXPECT_EQ(swatch.At(swatch.width / 2, swatch.height / 2), 0x0000FFu);  // all blue
        driver::CtrlKey(Window(), 'P');
        EXPECT_FALSE(dlg->m_preview.IsSwatchShown());
    });
}

// Grown, the preview, the frame list, the file name and the status line take the room,
// the buttons keep to their corners and the left column stays; the dragged picture stays
// where it was. The template's size is the smallest.
TEST_F(ViewTest, AGrownWindowLaysItsControlsOut) {
    RunModal(*dlg, [&] {
        driver::Click(Item(IDC_BROWSE));
        const NativeWindow preview = Item(IDC_PREVIEW);
        driver::MouseMove(preview, false, 20, 20);
        driver::MouseMove(preview, true, 24, 26);
        const std::pair dragged(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY);
        std::map<int, driver::Rect> before;
        for (int id : {IDC_PREVIEW, IDC_STATUS, IDC_FRAME, IDC_FILE, IDC_BROWSE, IDC_CLOSE,
                       IDC_SAVE, IDC_SPRITES, IDC_COMMON_PALETTE})
            before[id] = driver::PlaceInParent(Item(id));
        const driver::Picture whole = driver::Capture(Window(), false);

        driver::Resize(Window(), whole.width + 100, whole.height + 60);
        const auto grown = [&](int id, int x, int y, int cx, int cy) {
            driver::Rect r = before[id];
            return driver::Rect{r.x + x, r.y + y, r.cx + cx, r.cy + cy};
        };
        EXPECT_EQ(driver::PlaceInParent(preview), grown(IDC_PREVIEW, 0, 0, 100, 60));
        EXPECT_EQ(driver::PlaceInParent(Item(IDC_STATUS)), grown(IDC_STATUS, 0, 60, 100, 0));
        EXPECT_EQ(driver::PlaceInParent(Item(IDC_FRAME)), grown(IDC_FRAME, 0, 0, 100, 0));
        EXPECT_EQ(driver::PlaceInParent(Item(IDC_FILE)), grown(IDC_FILE, 0, 0, 100, 0));
        EXPECT_EQ(driver::PlaceInParent(Item(IDC_BROWSE)), grown(IDC_BROWSE, 100, 0, 0, 0));
        for (int id : {IDC_CLOSE, IDC_SAVE})
            EXPECT_EQ(driver::PlaceInParent(Item(id)), grown(id, 100, 60, 0, 0)) << id;
        for (int id : {IDC_SPRITES, IDC_COMMON_PALETTE})
            EXPECT_EQ(driver::PlaceInParent(Item(id)), before[id]) << id;
        CRect rc;
        dlg->m_preview.GetClientRect(&rc);
        EXPECT_EQ(rc.Width(), before[IDC_PREVIEW].cx + 100);
        EXPECT_EQ(rc.Height(), before[IDC_PREVIEW].cy + 60);
        EXPECT_EQ(std::pair(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY), dragged);
        EXPECT_EQ(driver::Capture(preview).width, before[IDC_PREVIEW].cx + 100);

        driver::Resize(Window(), whole.width - 50, whole.height - 50);
        const driver::Picture smallest = driver::Capture(Window(), false);
        EXPECT_EQ(std::pair(smallest.width, smallest.height), std::pair(whole.width, whole.height));
        for (const auto& [id, rect] : before)
            EXPECT_EQ(driver::PlaceInParent(Item(id)), rect) << id;
    });
}

}  // namespace
