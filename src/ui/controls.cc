#include "ui/controls.h"

#include <cctype>

#include "ui/window_system.h"

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        auto a = static_cast<unsigned char>(text[i]);
        auto b = static_cast<unsigned char>(prefix[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

}  // namespace

void CButton::UserClick() {
    if (!m_bEnabled) return;
    NotifyParent(BN_CLICKED);
}

const MessageMap* CStatic::GetThisMessageMap() {
    static const MessageMap map{CWnd::GetThisMessageMap(), {}};
    return &map;
}

void CListControl::ResetContent() {
    m_entries.clear();
    m_nCurSel = LB_ERR;
    NotifyPeer([](WindowPeer& p) { p.EntriesReset(); });
    SelectionSet();
}

int CListControl::AddString(const char* text) {
    m_entries.push_back({text ? text : "", 0});
    const int index = GetCount() - 1;
    NotifyPeer([&](WindowPeer& p) { p.EntryAdded(index, m_entries.back().text); });
    return index;
}

int CListControl::SetItemData(int index, DWORD_PTR data) {
    if (!IsEntry(index)) return LB_ERR;
    m_entries[index].data = data;
    return 0;
}

DWORD_PTR CListControl::GetItemData(int index) const {
    return IsEntry(index) ? m_entries[index].data : static_cast<DWORD_PTR>(LB_ERR);
}

int CListControl::SetCurSel(int index) {
    m_nCurSel = IsEntry(index) ? index : LB_ERR;
    NotifyPeer([this](WindowPeer& p) { p.SelectionChanged(m_nCurSel); });
    SelectionSet();
    return m_nCurSel;
}

int CListControl::EntryText(int index, CString& text) const {
    if (!IsEntry(index)) return LB_ERR;
    text = m_entries[index].text;
    return static_cast<int>(text.size());
}

void CListControl::TakeOverState(CWnd& from) {
    CWnd::TakeOverState(from);
    if (auto* list = dynamic_cast<CListControl*>(&from)) {
        m_entries = list->m_entries;
        m_nCurSel = list->m_nCurSel;
    }
}

void CListBox::UserSelect(int index) {
    if (!m_bEnabled || !IsEntry(index)) return;
    m_nCurSel = index;
    if (m_dwStyle & LBS_NOTIFY) NotifyParent(LBN_SELCHANGE);
}

int CComboBox::SelectString(int startAfter, const char* text) {
    const char* prefix = text ? text : "";
    const int count = GetCount();
    // The search starts after startAfter and wraps round to it; -1 searches from the top.
    const int first = IsEntry(startAfter) ? startAfter + 1 : 0;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        if (StartsWithNoCase(m_entries[i].text, prefix)) return SetCurSel(i);
    }
    return CB_ERR;
}

void CComboBox::SetWindowText(const char* text) {
    if (HasEdit()) SetEditText(text ? text : "");
}

void CComboBox::SelectionSet() {
    SetEditText(IsEntry(m_nCurSel) ? m_entries[m_nCurSel].text : CString());
}

void CComboBox::SetEditText(const CString& text) {
    m_strText = text;
    NotifyPeer([this](WindowPeer& p) { p.TextChanged(m_strText); });
}

void CComboBox::UserSelect(int index) {
    if (!m_bEnabled || !IsEntry(index)) return;
    m_nCurSel = index;
    m_strText = m_entries[index].text;
    NotifyParent(CBN_SELCHANGE);
}

void CComboBox::UserEditText(const std::string& text) {
    if (!m_bEnabled || !HasEdit()) return;
    m_strText = text;
    NotifyParent(CBN_EDITCHANGE);
}
