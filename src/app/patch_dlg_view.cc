// What the preview shows: the status line under it and the zoom keys.
#include "app/control_ids.h"
#include "app/patch_dlg.h"

void CPatchDlg::ShowStatus(const std::string& text) {
    CWnd* pStatus = GetDlgItem(IDC_STATUS);
    if (pStatus && pStatus->GetWindowText() != text) pStatus->SetWindowText(text);
    if (text.empty()) {
        m_strFrameStatus.clear();
        m_nShownFrame = -1;
    }
}

void CPatchDlg::ShowFrameStatus(int nFrame, bool bDrawn) {
    m_strFrameStatus = FrameStatus(&m_iff, m_sprite, nFrame, bDrawn);
    m_nShownFrame = bDrawn ? nFrame : -1;
    ShowStatus(m_strFrameStatus);
}

void CPatchDlg::ShowNoFrameStatus(NoFrameReason reason) {
    const int nSel = m_lbSprites.GetCurSel();
    const WORD wId = nSel == LB_ERR ? 0 : static_cast<WORD>(m_lbSprites.GetItemData(nSel));
    m_nShownFrame = -1;
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
