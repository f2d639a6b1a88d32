// Editing palette IDs and the two commands that rewrite every frame of the file.
#include <string>

#include "app/control_ids.h"
#include "app/palette_text.h"
#include "app/patch_dlg.h"
#include "sprites/palette.h"
#include "sprites/palette_patch.h"
#include "ui/wait_cursor.h"

void CPatchDlg::OnEditchangeItemPalette() {
    if (!UpdateData(TRUE) || m_nFrame == -1) return;
    if (const std::optional<WORD> wId = ParsePaletteId(m_strItemPalette))
        StoreFramePaletteId(*wId, IDC_ITEM_PALETTE);
}

void CPatchDlg::OnSelchangeItemPalette() {
    if (!UpdateData(TRUE) || m_nFrame == -1) return;
    const int nSel = m_cbItemPalette.GetCurSel();
    if (nSel == CB_ERR) return;
    StoreFramePaletteId(static_cast<WORD>(m_cbItemPalette.GetItemData(nSel)));
}

void CPatchDlg::OnEditchangeCommonPalette() {
    if (!UpdateData(TRUE) || m_nFrame == -1) return;
    if (const std::optional<WORD> wId = ParsePaletteId(m_strCommonPalette))
        StoreCommonPaletteId(*wId, IDC_COMMON_PALETTE);
}

void CPatchDlg::OnSelchangeCommonPalette() {
    if (!UpdateData(TRUE) || m_nFrame == -1) return;
    const int nSel = m_cbCommonPalette.GetCurSel();
    if (nSel == CB_ERR) return;
    StoreCommonPaletteId(static_cast<WORD>(m_cbCommonPalette.GetItemData(nSel)));
}

// The frame list holds every frame of a decoded sprite in order, so the selected
// position is the frame number.
void CPatchDlg::StoreFramePaletteId(WORD wPaletteId, int mergeKey) {
    if (!m_bSpriteDecoded) return;
    CUndoHistory::Snapshot before = SnapshotSprite();
    if (!SetFramePaletteId(m_sprite, m_nFrame, wPaletteId)) return;
    m_bDirty = true;
    CommitStep(std::move(before), "Sprite Item Palette ID", mergeKey);
    ShowFrame(m_nFrame);
}

void CPatchDlg::StoreCommonPaletteId(WORD wPaletteId, int mergeKey) {
    if (!m_bSpriteDecoded) return;
    CUndoHistory::Snapshot before = SnapshotSprite();
    SetSpritePaletteId(m_sprite, wPaletteId);  // a refused write-back changes nothing to show
    m_bDirty = true;
    CommitStep(std::move(before), "Common Palette ID", mergeKey);
    ShowFrame(m_nFrame);
}

void CPatchDlg::OnQuickPatch() {
    if (!UpdateData(TRUE)) return;
    if (MessageBox("This will set all items to an invalid palette!\n\nAre you sure you want to "
                   "continue?",
                   "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    PatchAllFrames(INVALID_PALETTE_ID, "Quick Patch");
}

void CPatchDlg::OnManualPatch() {
    if (!UpdateData(TRUE)) return;
    const int nSel = m_cbItemPalette.GetCurSel();
    if (nSel == CB_ERR) return;
    // The question names what the combo shows and the ID written is the chosen entry's:
    // text typed over the entry would make them differ, and then nothing is asked.
    CString chosen;
    m_cbItemPalette.GetLBText(nSel, chosen);
    if (m_strItemPalette != chosen) return;
    const std::string question = "This will set all items to palette " + m_strItemPalette +
                                 "!\n\nAre you sure you want to continue?";
    const WORD wPaletteId = static_cast<WORD>(m_cbItemPalette.GetItemData(nSel));
    if (MessageBox(question.c_str(), "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    PatchAllFrames(wPaletteId, "Manual Patch");
}

void CPatchDlg::PatchAllFrames(WORD wPaletteId, const char* stepName) {
    const CWaitCursor wait;
    CUndoHistory::Snapshot before = SnapshotAllSprites();
    // The sprite is rebound to every chunk in turn; the selection below rebinds it.
    m_bSpriteDecoded = false;
    PatchAllFramePalettes(m_iff, m_sprite, wPaletteId, [this](CIffChunk&) {
        MessageBox("Can't load one of the SPR2 resources!", "Warning", MB_OK | MB_ICONHAND);
    });
    CommitStep(std::move(before), stepName);
    OnSelchangeSprites();
    m_bDirty = true;
}
