#include "app/patch_dlg.h"

#include "app/about_dlg.h"
#include "app/app_resources.h"
#include "app/control_ids.h"
#include "document/iff_document.h"
#include "ui/paint_dc.h"
#include "ui/wait_cursor.h"
#include "ui/window_system.h"

CPatchDlg::CPatchDlg(CWnd* pParent) : CDialog(IDD_PALVANE2_DIALOG, pParent) {
    RegisterAppResources();
    m_hIcon = LoadIconResource(IDR_MAINFRAME);
}

// The window goes while the member controls and the bitmap the preview shows still live.
// A loaded container is not owned by m_iff and would otherwise stay open, and its file
// locked, until the process ends.
CPatchDlg::~CPatchDlg() {
    DestroyWindow();
    DetachSprite();
    m_iff.Reset();
}

const MessageMap* CPatchDlg::GetThisMessageMap() {
    using D = CPatchDlg;
    static const MessageMap map{
        CDialog::GetThisMessageMap(),
        {MapSysCommand(&D::OnSysCommand),
         MapPaint(&D::OnPaint),
         MapQueryDragIcon(&D::OnQueryDragIcon),
         MapClose(&D::OnClose),
         MapCommand(IDC_CLOSE, BN_CLICKED, &D::OnClose),
         MapCommand(IDC_BROWSE, BN_CLICKED, &D::OnBrowse),
         MapCommand(IDC_SPRITES, LBN_SELCHANGE, &D::OnSelchangeSprites),
         MapCommand(IDC_FRAME, CBN_SELCHANGE, &D::OnSelchangeFrame),
         MapCommand(IDC_ITEM_PALETTE, CBN_EDITCHANGE, &D::OnEditchangeItemPalette),
         MapCommand(IDC_ITEM_PALETTE, CBN_SELCHANGE, &D::OnSelchangeItemPalette),
         MapCommand(IDC_COMMON_PALETTE, CBN_EDITCHANGE, &D::OnEditchangeCommonPalette),
         MapCommand(IDC_COMMON_PALETTE, CBN_SELCHANGE, &D::OnSelchangeCommonPalette),
         MapCommand(IDC_SAVE, BN_CLICKED, &D::OnSave),
         MapCommand(IDC_QUICK_PATCH, BN_CLICKED, &D::OnQuickPatch),
         MapCommand(IDC_MANUAL_PATCH, BN_CLICKED, &D::OnManualPatch),
         MapCommand(ID_EDIT_UNDO, CMD_FROM_ACCELERATOR, &D::OnEditUndo),
         MapCommand(ID_EDIT_REDO, CMD_FROM_ACCELERATOR, &D::OnEditRedo),
         MapDropFiles(&D::OnDropFiles),
         MapCommand(ID_ZOOM_IN, CMD_FROM_ACCELERATOR, &D::OnZoomIn),
         MapCommand(ID_ZOOM_OUT, CMD_FROM_ACCELERATOR, &D::OnZoomOut),
         MapCommand(ID_ZOOM_RESET, CMD_FROM_ACCELERATOR, &D::OnZoomReset),
         MapCommand(ID_SWATCH, CMD_FROM_ACCELERATOR, &D::OnSwatch),
         MapCommand(ID_PREV_PALETTE, CMD_FROM_ACCELERATOR, &D::OnPrevPalette),
         MapCommand(ID_NEXT_PALETTE, CMD_FROM_ACCELERATOR, &D::OnNextPalette)}};
    return &map;
}

void CPatchDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_QUICK_PATCH, m_btnQuickPatch);
    DDX_Control(pDX, IDC_MANUAL_PATCH, m_btnManualPatch);
    DDX_Control(pDX, IDC_SAVE, m_btnSave);
    DDX_Control(pDX, IDC_COMMON_PALETTE, m_cbCommonPalette);
    DDX_Control(pDX, IDC_ITEM_PALETTE, m_cbItemPalette);
    DDX_Control(pDX, IDC_FRAME, m_cbFrame);
    DDX_Control(pDX, IDC_SPRITES, m_lbSprites);
    DDX_Control(pDX, IDC_PREVIEW, m_preview);
    DDX_Text(pDX, IDC_FILE, m_strFile);
    DDX_CBIndex(pDX, IDC_FRAME, m_nFrame);
    DDX_CBString(pDX, IDC_ITEM_PALETTE, m_strItemPalette);
    DDX_CBString(pDX, IDC_COMMON_PALETTE, m_strCommonPalette);
}

BOOL CPatchDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        const CString strAboutMenu = LoadStringResource(IDS_ABOUTBOX);
        if (!strAboutMenu.empty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu.c_str());
        }
    }
    SetIcon(m_hIcon, TRUE);

    const COLORREF face = GetSysColor(COLOR_3DFACE);
    m_rgbBackground = RGBQUAD{GetBValue(face), GetGValue(face), GetRValue(face), 0};
    m_preview.m_rgbBackground = m_rgbBackground;
    m_preview.SetFrameBitmap(nullptr);
    m_preview.m_onHover = [this](int x, int y) { OnPreviewHover(x, y); };
    m_preview.m_onSwatchHover = [this](int index) { OnSwatchHover(index); };

    DisableWorkingControls();
    m_bDirty = false;
    return InitOpenAndUndo();
}

void CPatchDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else if ((nID & 0xFFF0) == IDM_UNDO) {
        OnEditUndo();
    } else if ((nID & 0xFFF0) == IDM_REDO) {
        OnEditRedo();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CPatchDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CPatchDlg::OnQueryDragIcon() {
    return m_hIcon;
}

// Enter and Escape must not end the program behind the user's back.
void CPatchDlg::OnOK() {}
void CPatchDlg::OnCancel() {}

void CPatchDlg::OnClose() {
    if (m_bDirty && MessageBox("You haven't saved your changes yet! Are you sure you want to quit?",
                               "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    EndDialog(IDOK);
}

void CPatchDlg::OnSave() {
    if (!UpdateData(TRUE)) return;
    const CWaitCursor wait;
    StepFailure failure;
    if (!SaveDocument(m_iff, nullptr, &failure)) {
        ShowError(failure.message);
        return;
    }
    MessageBox("File saved!", "Success!", MB_OK | MB_ICONASTERISK);
    m_bDirty = false;
    m_history.MarkSaved();
}

void CPatchDlg::DisableWorkingControls() {
    m_lbSprites.EnableWindow(FALSE);
    m_cbFrame.EnableWindow(FALSE);
    m_cbCommonPalette.EnableWindow(FALSE);
    m_cbItemPalette.EnableWindow(FALSE);
    m_btnSave.EnableWindow(FALSE);
    m_btnQuickPatch.EnableWindow(FALSE);
    m_btnManualPatch.EnableWindow(FALSE);
    ShowStatus({});
}

int CPatchDlg::ShowError(const char* text) {
    return MessageBox(text, "Error", MB_OK | MB_ICONHAND);
}
