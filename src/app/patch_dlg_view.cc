// What the preview shows: the status line under it, the zoom keys and the palette's
// swatch.
#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "iff/iff_types.h"

void CPatchDlg::ShowStatus(const std::string& text) {
    CWnd* pStatus = GetDlgItem(IDC_STATUS);
    if (pStatus && pStatus->GetWindowText() != text) pStatus->SetWindowText(text);
    if (text.empty()) {
        m_strFrameStatus.clear();
        m_nShownFrame = m_nStatusFrame = -1;
        HideSwatch();
    }
}

void CPatchDlg::ShowFrameStatus(int nFrame, bool bDrawn) {
    HideSwatch();  // another frame: its picture
    m_strFrameStatus = FrameStatus(&m_iff, m_sprite, nFrame, bDrawn);
    m_nShownFrame = bDrawn ? nFrame : -1;
    m_nStatusFrame = nFrame;
    ShowStatus(m_strFrameStatus);
}

void CPatchDlg::ShowNoFrameStatus(NoFrameReason reason) {
    HideSwatch();
    const int nSel = m_lbSprites.GetCurSel();
    const WORD wId = nSel == LB_ERR ? 0 : static_cast<WORD>(m_lbSprites.GetItemData(nSel));
    m_nShownFrame = m_nStatusFrame = -1;
    m_strFrameStatus = NoFrameStatus(reason, wId);
    ShowStatus(m_strFrameStatus);
}

void CPatchDlg::OnPreviewHover(int x, int y) {
    std::string text;
    if (m_nShownFrame >= 0 && m_bSpriteDecoded)
        text = PixelStatus(&m_iff, m_sprite, m_nShownFrame, x, y);
    ShowStatus(text.empty() ? m_strFrameStatus : text);
}

void CPatchDlg::OnZoomIn() {
    m_preview.StepZoomAboutCenter(1);
}

void CPatchDlg::OnZoomOut() {
    m_preview.StepZoomAboutCenter(-1);
}

void CPatchDlg::OnZoomReset() {
    m_preview.StepZoomAboutCenter(0);
}

// The palette that draws the frame shown, else the file's first one.
void CPatchDlg::OnSwatch() {
    if (m_preview.IsSwatchShown()) {
        HideSwatch();
        ShowStatus(m_strFrameStatus);
        return;
    }
    if (!m_lbSprites.IsWindowEnabled()) return;  // no file to show palettes of
    Spr2FrameInfo info{};
    if (m_nStatusFrame >= 0 && m_bSpriteDecoded && m_sprite.GetFrameInfo(&info, m_nStatusFrame)) {
        if (const CIffChunk* pChunk =
                FindPaletteChunk(&m_iff, info.wPaletteId, m_sprite.GetPaletteId()))
            return ShowSwatch(pChunk->m_wID);
    }
    POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_PALT);
    const CIffChunk* pFirst = pos ? m_iff.GetNextByIdOfType(pos) : nullptr;
    ShowSwatch(pFirst ? pFirst->m_wID : 0);
}

void CPatchDlg::OnPrevPalette() {
    if (!m_preview.IsSwatchShown()) return;
    const CIffChunk* pPrev = nullptr;
    for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_PALT); pos;) {
        const CIffChunk* pChunk = m_iff.GetNextByIdOfType(pos);
        if (!pChunk || pChunk->m_wID >= m_wSwatchPalette) break;
        pPrev = pChunk;
    }
    if (pPrev) ShowSwatch(pPrev->m_wID);
}

void CPatchDlg::OnNextPalette() {
    if (!m_preview.IsSwatchShown()) return;
    for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_PALT); pos;) {
        const CIffChunk* pChunk = m_iff.GetNextByIdOfType(pos);
        if (pChunk && pChunk->m_wID > m_wSwatchPalette) return ShowSwatch(pChunk->m_wID);
    }
}

// An unusable palette shows as the face colour, with the reason below it.
void CPatchDlg::ShowSwatch(WORD wId) {
    const PaletteChoice choice = ChoosePalette(&m_iff, wId, wId);
    m_wSwatchPalette = wId;
    m_bSwatchUsable = choice.pChunk && choice.check.fault == PaletteFault::None;
    for (RGBQUAD& c : m_swatchColors) c = m_rgbBackground;
    if (m_bSwatchUsable) GetPaletteColors(*choice.pChunk, m_swatchColors);
    m_preview.SetSwatch(m_swatchColors);
    m_strSwatchStatus = SwatchStatus(wId, choice);
    ShowStatus(m_strSwatchStatus);
}

void CPatchDlg::HideSwatch() {
    if (m_preview.IsSwatchShown()) m_preview.SetSwatch(nullptr);
}

void CPatchDlg::OnSwatchHover(int index) {
    ShowStatus(index >= 0 && m_bSwatchUsable
                   ? SwatchColorStatus(m_wSwatchPalette, index, m_swatchColors[index])
                   : m_strSwatchStatus);
}
