// What the preview shows, on each back end: zoom, the status line, the palette's colours,
// the grown window.
#include <map>

#include "app/control_ids.h"
#include "sessions.h"

namespace desktop {

void DesktopView::ExpectShownAt(int z) {
    ASSERT_EQ(dlg->m_preview.GetZoom(), z);
    const Shot shown = hands->Preview();
    const std::uint32_t face = hands->FaceColor();
    const auto [ox, oy] = Origin();
    int wrong = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            wrong += shown.At(x, y) !=
                     (x >= ox && x < ox + 10 * z && y >= oy && y < oy + 8 * z ? kRed : face);
    EXPECT_EQ(wrong, 0) << "at " << z << "x";
}

// The zoom keys from any control (a text field takes none of them), Ctrl+wheel about the
// cursor, a drag at 4x, the pixel under the cursor, and the palettes' colours.
TEST_P(DesktopView, ZoomKeysTheWheelADragThePixelReadoutAndThePalettes) {
    hands->RunModal(*dlg, [&] {
        const std::string own = "Frame 0 uses its own palette 1.";
        hands->Click(IDC_BROWSE);
        ExpectShownAt(1);
        EXPECT_EQ(hands->Text(IDC_STATUS), own);
        // From a palette box's text field first, then from the sprite list.
        const std::pair<Key, int> zooms[] = {{Key::Equals, 2},      {Key::Plus, 3},
                                             {Key::KeypadPlus, 4},  {Key::Minus, 3},
                                             {Key::KeypadMinus, 2}, {Key::Zero, 1}};
        hands->SetFocus(IDC_ITEM_PALETTE);
        for (const auto& [key, z] : zooms) {
            if (key == Key::KeypadPlus) hands->SetFocus(IDC_SPRITES);
            hands->Ctrl(key);
            ExpectShownAt(z);
        }
        EXPECT_EQ(hands->Text(IDC_ITEM_PALETTE), "1");  // nothing typed into it

        // The frame pixel under the cursor stays under it.
        const int cx = Origin().first + 7, cy = Origin().second + 2;
        hands->Wheel(cx, cy, 120, false);
        ExpectShownAt(1);
        for (int i = 0; i < 3; ++i) hands->Wheel(cx, cy, 120, true);
        ExpectShownAt(4);
        EXPECT_EQ(std::make_pair((cx - Origin().first) / 4, (cy - Origin().second) / 4),
                  std::make_pair(7, 2));

        hands->Mouse(20, 20, false);
        hands->Mouse(21, 20, true);
        const auto [ox, oy] = Origin();
        hands->Mouse(26, 17, true);
        hands->Mouse(26, 17, false);
        EXPECT_EQ(Origin(), std::make_pair(ox + 5, oy - 3));
        ExpectShownAt(4);

        hands->Mouse(ox + 5 + 4 * 3 + 2, oy - 3 + 4 * 5 + 2, false);  // frame pixel (3, 5)
        EXPECT_EQ(hands->Text(IDC_STATUS),
                  "Pixel 3, 5: colour 5 (red 255, green 0, blue 0), depth 255, alpha 255");
        hands->Mouse(ox + 5, oy - 3, false);
        hands->MouseLeaves();
        EXPECT_EQ(hands->Text(IDC_STATUS), own);

        hands->Ctrl(Key::P);
        EXPECT_TRUE(dlg->m_preview.IsSwatchShown());
        hands->Ctrl(Key::PageDown);
        EXPECT_EQ(PreviewCentre(), kBlue);
        hands->Ctrl(Key::PageUp);
        EXPECT_EQ(PreviewCentre(), kRed);
        hands->Ctrl(Key::P);
        EXPECT_FALSE(dlg->m_preview.IsSwatchShown());
    });
}

// Grown, the preview, the frame list, the file name and the status line take the room, the
// buttons keep to their corners, the left column and the dragged picture stay. The first
// size is the smallest.
TEST_P(DesktopView, AGrownWindowLaysItsControlsOut) {
    hands->RunModal(*dlg, [&] {
        EXPECT_TRUE(hands->CanMaximize());
        hands->Click(IDC_BROWSE);
        hands->Mouse(20, 20, false);
        hands->Mouse(24, 26, true);
        const auto dragged = Origin();
        // How each control's place changes: x, y, cx, cy.
        const std::map<int, Place> change{
            {IDC_PREVIEW, {0, 0, 100, 60}}, {IDC_STATUS, {0, 60, 100, 0}},
            {IDC_FRAME, {0, 0, 100, 0}},    {IDC_FILE, {0, 0, 100, 0}},
            {IDC_BROWSE, {100, 0, 0, 0}},   {IDC_CLOSE, {100, 60, 0, 0}},
            {IDC_SAVE, {100, 60, 0, 0}},    {IDC_SPRITES, {}},
            {IDC_COMMON_PALETTE, {}}};
        std::map<int, Place> before;
        for (const auto& [id, by] : change) before[id] = hands->PlaceOf(id);
        const auto [cx, cy] = hands->WindowSize();

        hands->ResizeWindow(cx + 100, cy + 60);
        for (const auto& [id, by] : change) {
            const Place& p = before[id];
            EXPECT_EQ(hands->PlaceOf(id),
                      (Place{p[0] + by[0], p[1] + by[1], p[2] + by[2], p[3] + by[3]}))
                << id;
        }
        CRect rc;
        dlg->m_preview.GetClientRect(&rc);
        const Shot shown = hands->Preview();
        EXPECT_EQ(std::make_pair(rc.Width(), rc.Height()),
                  std::make_pair(shown.width, shown.height));
        EXPECT_EQ(Origin(), dragged);

        hands->ResizeWindow(cx - 50, cy - 50);
        EXPECT_EQ(hands->WindowSize(), std::make_pair(cx, cy));
        for (const auto& [id, place] : before) EXPECT_EQ(hands->PlaceOf(id), place) << id;
    });
}

}  // namespace desktop
