// The main dialog: opens a file, lists its sprites and palettes, shows a frame, edits
// palette IDs, patches every frame and saves.
#pragma once

#include <string>
#include <vector>

#include "app/undo_history.h"

#include "app/palette_status.h"
#include "iff/iff_file.h"
#include "preview/sprite_preview.h"
#include "raster/bitmap.h"
#include "sprites/spr2.h"
#include "ui/controls.h"
#include "ui/dialog.h"

class CPatchDlg : public CDialog {
public:
    explicit CPatchDlg(CWnd* pParent = nullptr);
    ~CPatchDlg() override;

    CButton m_btnQuickPatch;
    CButton m_btnManualPatch;
    CButton m_btnSave;
    CComboBox m_cbCommonPalette;
    CComboBox m_cbItemPalette;
    CComboBox m_cbFrame;
    CListBox m_lbSprites;
    CSpritePreview m_preview;
    CString m_strFile;
    int m_nFrame = -1;
    CString m_strItemPalette;
    CString m_strCommonPalette;
    HICON m_hIcon = nullptr;
    bool m_bDirty = false;
    CIffFile m_iff;
    CSpr2 m_sprite;
    CBitmap m_bmpFrame;
    RGBQUAD m_rgbBackground{};
    // The program's argument: opened as the dialog starts; empty: none.
    CString m_strOpenAtStart;
    CUndoHistory m_history;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;

    static const MessageMap* GetThisMessageMap();
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnClose();
    void OnBrowse();
    void OnSelchangeSprites();
    void OnSelchangeFrame();
    void OnEditchangeItemPalette();
    void OnSelchangeItemPalette();
    void OnEditchangeCommonPalette();
    void OnSelchangeCommonPalette();
    void OnSave();
    void OnQuickPatch();
    void OnManualPatch();
    void OnDropFiles(const std::vector<std::string>& paths);
    void OnEditUndo();
    void OnEditRedo();

    void ShowFrame(int frame);
    // Browse from the moment a path is chosen: the argument and a drop open files this way.
    void OpenFile(const CString& path);

private:
    void DisableWorkingControls();
    void ShowPaletteId(CComboBox& combo, CString& value, WORD wPaletteId);
    // Leaves the sprite bound to a chunk of its own, so no handler can reach a chunk of a
    // container that is about to close.
    void DetachSprite();
    // mergeKey: typed into that box (keystrokes join one undo step); 0: chosen.
    void StoreFramePaletteId(WORD wPaletteId, int mergeKey = 0);
    void StoreCommonPaletteId(WORD wPaletteId, int mergeKey = 0);
    void PatchAllFrames(WORD wPaletteId, const char* stepName);
    int ShowError(const char* text);

    // Keys, drops and the file given at start; FALSE when it put the focus itself.
    BOOL InitOpenAndUndo();
    std::string ChooserFolder() const;
    // Undo: the bytes of the sprite's chunk (or of every sprite) before a step, and the
    // step recorded after it.
    CUndoHistory::Snapshot SnapshotSprite();
    CUndoHistory::Snapshot SnapshotAllSprites();
    void CommitStep(CUndoHistory::Snapshot snapshot, const char* name, int mergeKey = 0);
    void ShowStep(const UndoStep& step);
    void UpdateUndoMenu();
    CString m_strLastTried;  // the chooser opens in its folder
    // The status line and the zoom keys (patch_dlg_view.cc).
    void ShowFrameStatus(int nFrame, bool bDrawn);
    void ShowNoFrameStatus(NoFrameReason reason);
    void OnPreviewHover(int x, int y);  // frame pixel under the cursor
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomReset();
    void OnSwatch();
    void OnPrevPalette();
    void OnNextPalette();
    void ShowSwatch(WORD wId);
    void HideSwatch();
    void OnSwatchHover(int index);
    WORD m_wSwatchPalette = 0;
    RGBQUAD m_swatchColors[256] = {};
    std::string m_strSwatchStatus;
    bool m_bSwatchUsable = false;
    void ShowStatus(const std::string& text);
    std::string m_strFrameStatus;
    int m_nShownFrame = -1;   // -1: no frame to read pixels from
    int m_nStatusFrame = -1;  // the frame the status is about, drawn or not; -1: none

    // m_sprite mirrors its chunk: decoded in full and bound to a chunk of the container
    // that is open now. Only such a sprite may be written back.
    bool m_bSpriteDecoded = false;
};
