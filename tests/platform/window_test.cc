// Control models: list operations, program changes staying silent, user actions
// reaching the message map after the model has changed, and the peer hook.
#include "platform/window.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/file.h"
#include "support/scripted_window_system.h"

namespace {

using testsupport::ScriptedWindowSystem;

constexpr UINT kTemplate = 9001;

const DialogTemplate kDialog = [] {
    DialogTemplate t;
    t.id = kTemplate;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.cx = 200;
    t.cy = 100;
    t.caption = "Models";
    t.controls = {
        {1, ControlKind::PushButton, "OK", WS_TABSTOP, 0, 0, 0, 50, 14, 0},
        {10, ControlKind::ListBox, "", LBS_NOTIFY | WS_TABSTOP, 0, 0, 20, 80, 60, 0},
        {11, ControlKind::ComboBox, "", CBS_DROPDOWN, 0, 90, 20, 80, 60, 0},
        {12, ControlKind::PushButton, "&Go", WS_TABSTOP, 0, 90, 80, 50, 14, 0},
        {13, ControlKind::ListBox, "", 0, 0, 10, 80, 20, 20, 0},  // no LBS_NOTIFY
    };
    return t;
}();
const ResourceTable kResources{{&kDialog}, {}, {}};

// Records every handler call with what the models held when it ran.
class ModelDlg : public CDialog {
public:
    ModelDlg() : CDialog(kTemplate) { RegisterResources(&kResources); }

    CListBox m_list;
    CComboBox m_combo;
    CButton m_go;
    std::vector<std::string> calls;
    bool m_bThrow = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 10, m_list);
        DDX_Control(pDX, 11, m_combo);
        DDX_Control(pDX, 12, m_go);
    }
    void OnListChange() { calls.push_back("list " + std::to_string(m_list.GetCurSel())); }
    void OnComboSel() { calls.push_back("sel " + ComboState()); }
    void OnComboEdit() { calls.push_back("edit " + ComboState()); }
    std::string ComboState() const {
        return std::to_string(m_combo.GetCurSel()) + " " + m_combo.GetWindowText();
    }
    void OnGo() {
        calls.push_back("go");
        if (m_bThrow) throw CFileException(CFileException::diskFull, 28, "/tmp/x.iff");
    }
    void OnClose() { calls.push_back("close"); }
    void OnSysCommand(UINT id, LPARAM lp) {
        calls.push_back("sys " + std::to_string(id));
        CDialog::OnSysCommand(id, lp);
    }
    void OnOK() override { calls.push_back("ok"); }

    static const MessageMap* GetThisMessageMap() {
        static const MessageMap map{
            CDialog::GetThisMessageMap(),
            {MapCommand(10, LBN_SELCHANGE, &ModelDlg::OnListChange),
             MapCommand(11, CBN_SELCHANGE, &ModelDlg::OnComboSel),
             MapCommand(11, CBN_EDITCHANGE, &ModelDlg::OnComboEdit),
             MapCommand(12, BN_CLICKED, &ModelDlg::OnGo),
             MapCommand(13, LBN_SELCHANGE, &ModelDlg::OnListChange), MapClose(&ModelDlg::OnClose),
             MapSysCommand(&ModelDlg::OnSysCommand)}};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        for (const char* s : {"1", "2", "40", "41891 (invalid)"}) dlg.m_combo.AddString(s);
        for (const char* s : {"#1 - \"a\"", "#2 - \"b\""}) dlg.m_list.AddString(s);
    }
    ScriptedWindowSystem ws;
    ModelDlg dlg;
};

struct SelectCase {
    std::vector<std::string> entries;
    int startAfter;
    std::string text;
    int expected;  // CB_ERR: no match
    friend void PrintTo(const SelectCase& c, std::ostream* os) {
        *os << '"' << c.text << "\" after " << c.startAfter << " in " << c.entries.size()
            << " entries";
    }
};

class SelectStringTest : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectStringTest, FirstCaseInsensitivePrefixMatch) {
    const SelectCase& c = GetParam();
    CComboBox combo;
    combo.Bind(1, CBS_DROPDOWN);
    for (const auto& e : c.entries) combo.AddString(e);
    combo.SetCurSel(0);
    combo.SetWindowText("typed");
    const int before = combo.GetCurSel();
    EXPECT_EQ(combo.SelectString(c.startAfter, c.text), c.expected);
    if (c.expected == CB_ERR) {
        EXPECT_EQ(combo.GetCurSel(), before);
        EXPECT_EQ(combo.GetWindowText(), "typed");
    } else {
        EXPECT_EQ(combo.GetCurSel(), c.expected);
        EXPECT_EQ(combo.GetWindowText(), c.entries[c.expected]);
    }
}

const std::vector<std::string> kPalettes{"1", "2", "40", "41891 (invalid)"};
INSTANTIATE_TEST_SUITE_P(
    Cases, SelectStringTest,
    ::testing::Values(SelectCase{kPalettes, -1, "4", 2}, SelectCase{kPalettes, -1, "4189", 3},
                      SelectCase{kPalettes, -1, "41891 (INVALID)", 3},
                      SelectCase{kPalettes, -1, "3", CB_ERR},
                      SelectCase{kPalettes, -1, "41891 (invalid) x", CB_ERR},
                      SelectCase{kPalettes, -1, "", 0},          // everything begins with ""
                      SelectCase{{"40", "1", "41"}, 0, "4", 2},  // after 0: the later 41
                      SelectCase{{"40", "1", "41"}, 2, "4", 0},  // wraps round to the top
                      SelectCase{{}, -1, "", CB_ERR}));

TEST_F(ModelTest, ProgramChangesRaiseNoNotification) {
    dlg.m_list.SetCurSel(1);
    dlg.m_list.SetItemData(1, 7);
    dlg.m_combo.SetCurSel(2);
    dlg.m_combo.SelectString(-1, "1");
    dlg.m_combo.SetWindowText("409");
    dlg.m_combo.EnableWindow(FALSE);
    dlg.m_combo.EnableWindow(TRUE);
    dlg.m_combo.ResetContent();
    dlg.m_list.ResetContent();
    dlg.UpdateData(FALSE);
    EXPECT_TRUE(dlg.calls.empty());
}

TEST_F(ModelTest, UserActionsUpdateTheModelBeforeTheHandlerRuns) {
    dlg.m_combo.SetCurSel(0);
    dlg.m_list.UserSelect(1);
    dlg.m_list.UserSelect(1);  // the entry already selected: the handler runs again
    dlg.m_combo.UserEditText("409");
    dlg.m_combo.UserSelect(3);
    dlg.m_go.UserClick();
    static_cast<CListBox*>(dlg.GetDlgItem(13))->UserSelect(0);  // no LBS_NOTIFY: silent
    EXPECT_EQ(dlg.calls, (std::vector<std::string>{"list 1", "list 1", "edit 0 409",
                                                   "sel 3 41891 (invalid)", "go"}));
    EXPECT_EQ(static_cast<CListBox*>(dlg.GetDlgItem(13))->GetCurSel(), LB_ERR);  // empty list
}

TEST_F(ModelTest, DisabledControlsIgnoreTheUser) {
    dlg.m_go.EnableWindow(FALSE);
    dlg.m_list.EnableWindow(FALSE);
    dlg.m_combo.EnableWindow(FALSE);
    dlg.m_go.UserClick();
    dlg.m_list.UserSelect(0);
    dlg.m_combo.UserEditText("5");
    EXPECT_TRUE(dlg.calls.empty());
    EXPECT_EQ(dlg.m_list.GetCurSel(), LB_ERR);
    EXPECT_EQ(dlg.m_combo.GetWindowText(), "");
    EXPECT_TRUE(dlg.m_go.EnableWindow(TRUE));  // reports that it was disabled
}

TEST_F(ModelTest, BadIndexesAndResetsClearTheSelection) {
    CComboBox& cb = dlg.m_combo;
    EXPECT_EQ(cb.SetItemData(4, 1), CB_ERR);
    EXPECT_EQ(cb.GetItemData(9), static_cast<DWORD_PTR>(CB_ERR));
    cb.SetCurSel(1);
    EXPECT_EQ(cb.SetCurSel(9), CB_ERR);
    EXPECT_EQ(cb.GetCurSel(), CB_ERR);
    EXPECT_EQ(cb.GetWindowText(), "");
    cb.SetCurSel(0);
    cb.ResetContent();  // also empties the edit text
    EXPECT_EQ(cb.GetWindowText(), "");
    dlg.m_list.SetCurSel(1);
    EXPECT_EQ(dlg.m_list.SetCurSel(-1), LB_ERR);
    EXPECT_EQ(dlg.m_list.GetCurSel(), LB_ERR);
    dlg.m_list.ResetContent();
    EXPECT_EQ(dlg.m_list.SetCurSel(0), LB_ERR);  // an empty list selects nothing
}

TEST_F(ModelTest, DialogMessagesRouteThroughTheMaps) {
    dlg.UserClose();               // the class's own WM_CLOSE handler
    dlg.UserSysCommand(SC_CLOSE);  // default: becomes WM_CLOSE
    dlg.UserCommand(IDOK);         // Enter: the overridden OnOK
    static_cast<CButton*>(dlg.GetDlgItem(IDOK))->UserClick();
    dlg.UserSysCommand(0x10);
    EXPECT_EQ(dlg.calls,
              (std::vector<std::string>{"close", "sys 61536", "close", "ok", "ok", "sys 16"}));
    EXPECT_FALSE(dlg.IsEnded());
    dlg.UserCommand(IDCANCEL);  // Escape: the base OnCancel ends the dialog
    EXPECT_TRUE(dlg.IsEnded());
    EXPECT_EQ(dlg.GetModalResult(), IDCANCEL);
}

TEST(DialogDefaults, CloseBoxCancelsAPlainDialog) {
    ScriptedWindowSystem ws;
    RegisterResources(&kResources);
    CDialog plain(kTemplate);
    ASSERT_TRUE(plain.Create());
    plain.UserSysCommand(SC_CLOSE);
    EXPECT_EQ(plain.GetModalResult(), IDCANCEL);
}

TEST_F(ModelTest, AFileErrorEscapingAHandlerIsReported) {
    dlg.m_bThrow = true;
    dlg.m_go.UserClick();
    ASSERT_EQ(ws.MessageBoxes().size(), 1u);
    EXPECT_EQ(ws.MessageBoxes()[0].type, MB_OK | MB_ICONHAND);
    EXPECT_NE(ws.MessageBoxes()[0].text.find("x.iff"), std::string::npos);
    EXPECT_EQ(ws.MessageBoxes()[0].caption, AfxGetAppName());
}

// Mirrors what a back end would show.
class MirrorPeer : public WindowPeer {
public:
    void Attached(CWnd* w) override { wnd = w; }
    void EnabledChanged(bool e) override { log.push_back(e ? "enabled" : "disabled"); }
    void TextChanged(const std::string& t) override { log.push_back("text " + t); }
    void EntriesReset() override { log.push_back("reset"); }
    void EntryAdded(int i, const std::string& t) override {
        log.push_back("add " + std::to_string(i) + " " + t);
    }
    void SelectionChanged(int i) override { log.push_back("sel " + std::to_string(i)); }
    void SystemMenuChanged(const CMenu& m) override {
        log.push_back("menu " + std::to_string(m.GetMenuItemCount()));
    }
    CWnd* wnd = nullptr;
    std::vector<std::string> log;
};

// A back end's view: peers attach to the placeholders and follow DDX_Control.
class PeeringWindowSystem : public ScriptedWindowSystem {
public:
    void RealizeDialog(CDialog& dlg) override {
        ScriptedWindowSystem::RealizeDialog(dlg);
        peers.resize(dlg.GetControlCount() + 1);
        dlg.SetPeer(&peers.back());
        for (int i = 0; i < dlg.GetControlCount(); ++i) dlg.GetControlAt(i)->SetPeer(&peers[i]);
    }
    void DestroyDialog(CDialog& dlg) override {
        dlg.SetPeer(nullptr);
        for (int i = 0; i < dlg.GetControlCount(); ++i)
            if (CWnd* c = dlg.GetControlAt(i)) c->SetPeer(nullptr);
    }
    std::vector<MirrorPeer> peers;
};

TEST(Peers, FollowTheMemberAndHearOnlyProgramChanges) {
    PeeringWindowSystem ws;
    ModelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    MirrorPeer& combo = ws.peers[2];
    EXPECT_EQ(combo.wnd, &dlg.m_combo);
    EXPECT_EQ(dlg.GetControlAt(2), &dlg.m_combo);
    combo.log.clear();
    dlg.m_combo.AddString("1");
    dlg.m_combo.SetCurSel(0);
    dlg.m_combo.EnableWindow(FALSE);
    dlg.m_combo.EnableWindow(TRUE);
    dlg.m_combo.UserEditText("12");  // the widget already shows what the user typed
    dlg.m_combo.ResetContent();
    EXPECT_EQ(combo.log, (std::vector<std::string>{"add 0 1", "sel 0", "text 1", "disabled",
                                                   "enabled", "reset", "text "}));
    CMenu* menu = dlg.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, 0x10, "&About...");
    EXPECT_EQ(ws.peers.back().log, (std::vector<std::string>{"menu 2", "menu 3"}));
    EXPECT_EQ(menu->GetItems()[0].id, SC_CLOSE);
    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.m_combo.IsBound());
    EXPECT_EQ(dlg.m_combo.GetPeer(), nullptr);
}

TEST(Peers, AMemberDestroyedFirstLeavesNoDanglingSlot) {
    ScriptedWindowSystem ws;
    ModelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    {
        CButton temp;
        CDataExchange dx(&dlg, FALSE);
        DDX_Control(&dx, IDOK, temp);
        EXPECT_EQ(dlg.GetDlgItem(IDOK), &temp);
    }
    EXPECT_EQ(dlg.GetDlgItem(IDOK), nullptr);
    EXPECT_EQ(dlg.GetDlgItem(12), &dlg.m_go);
}

}  // namespace
