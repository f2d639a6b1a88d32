// Dialog data exchange: member controls bound to a dialog's controls, and values moved
// between members and controls.
#pragma once

#include "ui/controls.h"

class CDialog;

// What CDataExchange::Fail throws; UpdateData catches it.
struct DataExchangeFailure {};

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The control with this ID; fails the exchange when there is none.
    CWnd* PrepareCtrl(int id);
    [[noreturn]] void Fail();  // ends the exchange; UpdateData returns FALSE

    BOOL m_bSaveAndValidate;  // TRUE: controls -> members
    CDialog* m_pDlgWnd;
};

// Binds a member control to the dialog's control with this ID, once: the member takes
// over the control's state and its peer (what subclassing does).
void DDX_Control(CDataExchange* pDX, int id, CWnd& rControl);
// Window text <-> string.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// Combo box selected index <-> int (SetCurSel, GetCurSel).
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
// Combo box text <-> string. Toward the control: SelectString from the top with the
// text; only when no entry matches, the edit text becomes the text.
void DDX_CBString(CDataExchange* pDX, int id, CString& value);
