// Undo and redo of palette edits and patches, and their entries in the window menu.
#include <string>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "iff/iff_types.h"

CUndoHistory::Snapshot CPatchDlg::SnapshotSprite() {
    return CUndoHistory::Snapshot(m_iff, {m_sprite.m_pChunk});
}

CUndoHistory::Snapshot CPatchDlg::SnapshotAllSprites() {
    std::vector<CIffChunk*> chunks;
    for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos != nullptr;)
        if (CIffChunk* pChunk = m_iff.GetNextByIdOfType(pos)) chunks.push_back(pChunk);
    return CUndoHistory::Snapshot(m_iff, chunks);
}

void CPatchDlg::CommitStep(CUndoHistory::Snapshot snapshot, const char* name, int mergeKey) {
    UndoStep step;
    step.name = name;
    const int nSel = m_lbSprites.GetCurSel();
    step.hasSprite = nSel != LB_ERR;
    if (step.hasSprite) step.spriteId = static_cast<WORD>(m_lbSprites.GetItemData(nSel));
    step.frame = m_nFrame;
    step.mergeKey = mergeKey;
    m_history.Commit(m_iff, std::move(snapshot), std::move(step));
    UpdateUndoMenu();
}

void CPatchDlg::OnEditUndo() {
    if (!m_history.CanUndo()) return;
    DetachSprite();  // its chunk's bytes change under it
    const UndoStep* step = m_history.Undo(m_iff);
    m_bDirty = !m_history.IsSaved();
    UpdateUndoMenu();
    if (step) ShowStep(*step);
}

void CPatchDlg::OnEditRedo() {
    if (!m_history.CanRedo()) return;
    DetachSprite();
    const UndoStep* step = m_history.Redo(m_iff);
    m_bDirty = !m_history.IsSaved();
    UpdateUndoMenu();
    if (step) ShowStep(*step);
}

// As the user choosing that sprite and then that frame would show it.
void CPatchDlg::ShowStep(const UndoStep& step) {
    if (step.hasSprite)
        for (int i = 0; i < m_lbSprites.GetCount(); ++i)
            if (static_cast<WORD>(m_lbSprites.GetItemData(i)) == step.spriteId) {
                m_lbSprites.SetCurSel(i);
                break;
            }
    OnSelchangeSprites();
    if (step.frame > 0 && step.frame < m_cbFrame.GetCount()) {
        m_cbFrame.SetCurSel(step.frame);
        OnSelchangeFrame();
    }
}

// The entries join the window menu with the first file, before the About box's separator.
void CPatchDlg::UpdateUndoMenu() {
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (!pSysMenu) return;
    const UndoStep* undo = m_history.NextUndo();
    const UndoStep* redo = m_history.NextRedo();
    const std::string undoText = "&Undo" + (undo ? " " + undo->name : std::string()) + "\tCtrl+Z";
    const std::string redoText = "&Redo" + (redo ? " " + redo->name : std::string()) + "\tCtrl+Y";
    const UINT undoFlags = MF_STRING | (undo ? MF_ENABLED : MF_GRAYED);
    const UINT redoFlags = MF_STRING | (redo ? MF_ENABLED : MF_GRAYED);
    if (pSysMenu->FindItem(IDM_UNDO)) {
        pSysMenu->ModifyMenu(IDM_UNDO, MF_BYCOMMAND | undoFlags, IDM_UNDO, undoText.c_str());
        pSysMenu->ModifyMenu(IDM_REDO, MF_BYCOMMAND | redoFlags, IDM_REDO, redoText.c_str());
        return;
    }
    UINT position = 1;  // after Close
    pSysMenu->InsertMenu(position++, MF_BYPOSITION | MF_SEPARATOR);
    pSysMenu->InsertMenu(position++, MF_BYPOSITION | undoFlags, IDM_UNDO, undoText.c_str());
    pSysMenu->InsertMenu(position, MF_BYPOSITION | redoFlags, IDM_REDO, redoText.c_str());
}
