// Opening a file, choosing a sprite and a frame, and drawing the frame.
#include <string>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "document/iff_document.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "ui/file_dialog.h"
#include "ui/wait_cursor.h"

namespace {

std::string PaletteIdText(WORD wPaletteId) {
    return std::to_string(static_cast<unsigned>(wPaletteId));
}

}  // namespace

void CPatchDlg::OnBrowse() {
    if (m_bDirty &&
        MessageBox(
            "You haven't saved your changes yet! Are you sure you want to open an other file?",
            "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;

    CFileDialog dlgFile(TRUE, ".iff", "*.iff", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                        "IFF files (*.iff)|*.iff|All files (*.*)|*.*||");
    dlgFile.SetInitialFolder(ChooserFolder());
    m_bDirty = false;
    m_history.Clear();
    UpdateUndoMenu();
    if (dlgFile.DoModal() != IDOK) {
        DisableWorkingControls();
        return;
    }
    OpenFile(dlgFile.GetPathName());
}

void CPatchDlg::OpenFile(const CString& path) {
    m_strFile = path;
    m_strLastTried = path;
    m_history.Clear();
    UpdateUndoMenu();
    const CWaitCursor wait;

    DetachSprite();
    // Until the new file is in: a file error while reading it must not leave the old
    // file's lists working over an empty container, which Save would then write.
    DisableWorkingControls();

    StepFailure failure;
    if (!OpenDocument(m_iff, m_strFile, &failure)) {
        ShowError(failure.message);
        DisableWorkingControls();
        return;
    }
    UpdateData(FALSE);

    m_cbItemPalette.ResetContent();
    m_cbCommonPalette.ResetContent();
    auto addPalette = [this](const std::string& text, WORD wId) {
        m_cbItemPalette.SetItemData(m_cbItemPalette.AddString(text), wId);
        m_cbCommonPalette.SetItemData(m_cbCommonPalette.AddString(text), wId);
    };
    for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_PALT); pos != nullptr;) {
        if (const CIffChunk* pChunk = m_iff.GetNextByIdOfType(pos))
            addPalette(PaletteIdText(pChunk->m_wID), pChunk->m_wID);
    }
    addPalette("41891 (invalid)", INVALID_PALETTE_ID);

    m_lbSprites.ResetContent();
    for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos != nullptr;) {
        const CIffChunk* pChunk = m_iff.GetNextByIdOfType(pos);
        if (!pChunk) continue;
        // The name as C text: it ends at its first NUL, as the list shows it.
        const std::string text =
            "#" + std::to_string(pChunk->m_wID) + " - \"" + pChunk->m_strName.c_str() + "\"";
        m_lbSprites.SetItemData(m_lbSprites.AddString(text), pChunk->m_wID);
    }
    m_lbSprites.SetCurSel(0);
    OnSelchangeSprites();

    m_lbSprites.EnableWindow(TRUE);
    m_btnSave.EnableWindow(TRUE);
    m_btnQuickPatch.EnableWindow(TRUE);
    m_lbSprites.SetFocus();
}

void CPatchDlg::OnSelchangeSprites() {
    // Until a sprite has decoded in full, nothing may write it back.
    m_bSpriteDecoded = false;
    auto fail = [this] {
        m_cbFrame.EnableWindow(FALSE);
        m_cbCommonPalette.EnableWindow(FALSE);
        m_cbItemPalette.EnableWindow(FALSE);
        m_btnManualPatch.EnableWindow(FALSE);
    };

    const int nSel = m_lbSprites.GetCurSel();
    if (nSel == LB_ERR) {
        fail();
        ShowNoFrameStatus(NoFrameReason::NoSprites);
        return;
    }
    const WORD wId = static_cast<WORD>(m_lbSprites.GetItemData(nSel));
    StepFailure failure;
    if (!AttachSprite(m_iff, wId, m_sprite, &failure)) {
        ShowError(failure.message);
        fail();
        ShowNoFrameStatus(failure.message == kNoSuchItem ? NoFrameReason::SpriteMissing
                                                         : NoFrameReason::SpriteUndecodable);
        return;
    }
    m_bSpriteDecoded = true;

    ShowPaletteId(m_cbCommonPalette, m_strCommonPalette, m_sprite.GetPaletteId());

    m_cbFrame.ResetContent();
    const int nFrames = m_sprite.GetFrameCount();
    for (int i = 0; i < nFrames; ++i) {
        Spr2FrameInfo info{};
        if (!m_sprite.GetFrameInfo(&info, i)) continue;
        const std::string text = "#" + std::to_string(i) +
                                 " size: " + std::to_string(static_cast<unsigned>(info.wWidth)) +
                                 "x" + std::to_string(static_cast<unsigned>(info.wHeight)) +
                                 " pixels";
        m_cbFrame.SetItemData(m_cbFrame.AddString(text), static_cast<DWORD_PTR>(i));
    }
    m_cbFrame.EnableWindow(TRUE);
    m_cbCommonPalette.EnableWindow(TRUE);
    m_cbFrame.SetCurSel(0);
    OnSelchangeFrame();
}

void CPatchDlg::OnSelchangeFrame() {
    if (!UpdateData(TRUE)) return;
    auto fail = [this] {
        m_cbItemPalette.EnableWindow(FALSE);
        m_btnManualPatch.EnableWindow(FALSE);
    };
    if (m_nFrame == -1) {
        fail();
        ShowNoFrameStatus(NoFrameReason::NoFrames);
        return;
    }
    const int nFrame = static_cast<int>(m_cbFrame.GetItemData(m_nFrame));
    Spr2FrameInfo info{};
    if (!m_bSpriteDecoded || !m_sprite.GetFrameInfo(&info, nFrame)) {
        fail();
        return;
    }
    ShowPaletteId(m_cbItemPalette, m_strItemPalette, info.wPaletteId);
    m_cbItemPalette.EnableWindow(TRUE);
    m_btnManualPatch.EnableWindow(TRUE);
    ShowFrame(nFrame);
}

void CPatchDlg::ShowFrame(int frame) {
    m_bmpFrame.DeleteObject();
    CBitmap bmpDepth;
    CBitmap bmpAlpha;
    const BOOL built =
        m_bSpriteDecoded && m_sprite.BuildFrameBitmaps(&m_iff, frame, &m_bmpFrame, &bmpDepth,
                                                       &bmpAlpha, m_rgbBackground, 0, 0, 0);
    m_preview.SetFrameBitmap(built ? &m_bmpFrame : nullptr);
    ShowFrameStatus(frame, built);
}

// The first entry that begins with the ID's text is the one shown, even when it names
// another palette; only when none does, the combo's edit field gets the number.
void CPatchDlg::ShowPaletteId(CComboBox& combo, CString& value, WORD wPaletteId) {
    const std::string text = PaletteIdText(wPaletteId);
    if (combo.SelectString(-1, text) != CB_ERR) return;
    value = text;
    UpdateData(FALSE);
}

void CPatchDlg::DetachSprite() {
    m_bSpriteDecoded = false;
    const CSpr2 unbound;
    m_sprite.Copy(unbound);
}
