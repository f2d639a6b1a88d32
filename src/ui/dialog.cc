#include "ui/dialog.h"

#include <errno.h>

#include <algorithm>
#include <cstdlib>

#include "ui/window_system.h"

namespace {

std::unique_ptr<CWnd> MakeControl(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
            return std::make_unique<CButton>();
        case ControlKind::Static:
            return std::make_unique<CStatic>();
        case ControlKind::ListBox:
            return std::make_unique<CListBox>();
        case ControlKind::ComboBox:
            return std::make_unique<CComboBox>();
        case ControlKind::Edit:
            break;
    }
    return std::make_unique<CWnd>();
}

}  // namespace

// --- Data exchange -----------------------------------------------------------------

CWnd* CDataExchange::PrepareCtrl(int id) {
    CWnd* ctrl = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    if (!ctrl) Fail();
    return ctrl;
}

void CDataExchange::Fail() {
    throw DataExchangeFailure{};
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& rControl) {
    if (rControl.IsBound()) return;
    CDialog* dlg = pDX->m_pDlgWnd;
    for (int i = 0; i < dlg->GetControlCount(); ++i) {
        CWnd* ctrl = dlg->GetControlAt(i);
        if (ctrl && ctrl->GetDlgCtrlID() == id) {
            dlg->BindMember(i, rControl);
            return;
        }
    }
    pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    CWnd* ctrl = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        ctrl->GetWindowText(value);
    else
        ctrl->SetWindowText(value);
}

static CComboBox* PrepareCombo(CDataExchange* pDX, int id) {
    auto* combo = dynamic_cast<CComboBox*>(pDX->PrepareCtrl(id));
    if (!combo) pDX->Fail();
    return combo;
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index) {
    CComboBox* combo = PrepareCombo(pDX, id);
    if (pDX->m_bSaveAndValidate)
        index = combo->GetCurSel();
    else
        combo->SetCurSel(index);
}

void DDX_CBString(CDataExchange* pDX, int id, CString& value) {
    CComboBox* combo = PrepareCombo(pDX, id);
    if (pDX->m_bSaveAndValidate) {
        combo->GetWindowText(value);
        return;
    }
    // An empty text is a prefix of every entry; it and a miss must not keep or pick one.
    if (!value.empty() && combo->SelectString(-1, value) != CB_ERR) return;
    combo->SetCurSel(-1);  // empties the edit text
    if (!value.empty()) combo->SetWindowText(value);
}

// --- Dialogs -----------------------------------------------------------------------

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}

CDialog::~CDialog() {
    DestroyWindow();
}

const MessageMap* CDialog::GetThisMessageMap() {
    static const MessageMap map{CWnd::GetThisMessageMap(),
                                {MapCommand(IDOK, BN_CLICKED, &CDialog::OnOK),
                                 MapCommand(IDCANCEL, BN_CLICKED, &CDialog::OnCancel)}};
    return &map;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Closing a dialog is cancelling it, unless the dialog handles WM_CLOSE itself.
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED), 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

CWnd* CDialog::GetControlAt(int index) const {
    if (index < 0 || index >= GetControlCount()) return nullptr;
    return m_children[index];
}

void CDialog::BuildControls() {
    m_children.clear();
    m_placeholders.clear();
    m_bBound = true;
    m_nID = 0;
    m_dwStyle = m_pTemplate->style;
    m_bEnabled = !(m_dwStyle & WS_DISABLED);
    m_strText = m_pTemplate->caption;
    m_pSysMenu.reset();
    for (const DialogControl& c : m_pTemplate->controls) {
        std::unique_ptr<CWnd> ctrl = MakeControl(c.kind);
        ctrl->Bind(c.id, c.style | WS_CHILD | WS_VISIBLE, this);
        if (c.kind != ControlKind::ListBox && c.kind != ControlKind::ComboBox)
            ctrl->m_strText = c.text;
        m_placeholders.push_back(std::move(ctrl));
    }
}

void CDialog::BindMember(int index, CWnd& member) {
    CWnd* from = m_children[index];
    member.TakeOverState(*from);
    WindowPeer* peer = from->m_pPeer;
    from->m_pPeer = nullptr;
    from->m_bBound = false;
    from->m_pParent = nullptr;
    m_children[index] = &member;
    member.m_pPeer = peer;
    if (peer) peer->Attached(&member);
}

BOOL CDialog::Create() {
    if (m_bRealized) return TRUE;
    m_pTemplate = FindDialogTemplate(m_nIDTemplate);
    if (!m_pTemplate) return FALSE;
    BuildControls();
    m_bEnded = false;
    m_nModalResult = -1;
    m_pWindowSystem = GetCurrentWindowSystem();
    m_bRealized = true;
    if (m_pWindowSystem) m_pWindowSystem->RealizeDialog(*this);
    m_bFocusFirst = OnInitDialog() != FALSE;
    return TRUE;
}

// A window system that has since been uninstalled (a test's, gone first) is not called.
bool CDialog::WindowSystemAlive() const {
    return m_pWindowSystem && m_pWindowSystem == GetCurrentWindowSystem();
}

void CDialog::DestroyWindow() {
    if (!m_bRealized) return;
    if (WindowSystemAlive()) m_pWindowSystem->DestroyDialog(*this);
    Unbind();
}

void CDialog::Unbind() {
    for (CWnd* child : m_children)
        if (child) {
            child->m_pParent = nullptr;  // the slot goes with the list below
            child->Unbind();
        }
    m_children.clear();
    m_placeholders.clear();
    m_bRealized = false;
    m_pWindowSystem = nullptr;
    CWnd::Unbind();
}

INT_PTR CDialog::DoModal() {
    if (!GetCurrentWindowSystem()) return -1;
    struct Destroy {
        CDialog* dlg;
        ~Destroy() { dlg->DestroyWindow(); }
    };
    if (!Create()) return -1;
    Destroy destroy{this};
    if (!m_bEnded) {
        const int result = m_pWindowSystem->RunModalLoop(*this, m_bFocusFirst);
        if (!m_bEnded) m_nModalResult = result;
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    m_bEnded = true;
    m_nModalResult = nResult;
    if (m_bRealized && WindowSystemAlive()) m_pWindowSystem->EndModalLoop(*this, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (!m_bRealized) return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
