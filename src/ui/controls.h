// The controls of a dialog as models: buttons, static text, list boxes and combo boxes.
#pragma once

#include <string>
#include <vector>

#include "ui/window.h"

class CButton : public CWnd {
public:
    void UserClick();  // BN_CLICKED to the parent
};

class CStatic : public CWnd {
protected:
    static const MessageMap* GetThisMessageMap();
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
};

struct ListEntry {
    CString text;
    DWORD_PTR data = 0;
};

// What list and combo boxes share: entries with item data and one selection. Every
// index outside the entries gives LB_ERR (= CB_ERR).
class CListControl : public CWnd {
public:
    void ResetContent();
    int AddString(const char* text);  // appends; the new index
    int AddString(const std::string& text) { return AddString(text.c_str()); }
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    int SetCurSel(int index);                    // -1 or a bad index: none (LB_ERR)
    int GetCurSel() const { return m_nCurSel; }  // LB_ERR (-1): none
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const std::vector<ListEntry>& GetEntries() const { return m_entries; }

protected:
    bool IsEntry(int index) const { return index >= 0 && index < GetCount(); }
    int EntryText(int index, CString& text) const;  // length
    // After the selection changed through the program; the combo box's edit follows it.
    virtual void SelectionSet() {}
    void TakeOverState(CWnd& from) override;

    std::vector<ListEntry> m_entries;
    int m_nCurSel = LB_ERR;
};

class CListBox : public CListControl {
public:
    int GetText(int index, CString& text) const { return EntryText(index, text); }

    // User picked an entry (also the one already selected): LBN_SELCHANGE with LBS_NOTIFY.
    void UserSelect(int index);
};

// A drop-down list (CBS_DROPDOWNLIST) or an editable drop-down (CBS_DROPDOWN). The edit
// text is the window text; without an edit field it is the selected entry's text. A new
// selection through the program sets the edit text to the entry's (none: empty).
class CComboBox : public CListControl {
public:
    int GetLBText(int index, CString& text) const { return EntryText(index, text); }
    // First entry from the top (after startAfter; -1: from the top) whose text begins
    // with text, ignoring case; selects it. CB_ERR, selection unchanged, when none.
    int SelectString(int startAfter, const char* text);
    int SelectString(int startAfter, const std::string& text) {
        return SelectString(startAfter, text.c_str());
    }
    bool HasEdit() const { return (m_dwStyle & CBS_TYPEMASK) != CBS_DROPDOWNLIST; }
    void SetWindowText(const char* text) override;  // edit text; ignored without an edit
    using CWnd::SetWindowText;

    // User chose an entry: selection and edit text, then CBN_SELCHANGE.
    void UserSelect(int index);
    // User changed the edit text (one keystroke): CBN_EDITCHANGE. Selection stays.
    void UserEditText(const std::string& text);

protected:
    void SelectionSet() override;

private:
    void SetEditText(const CString& text);
};
