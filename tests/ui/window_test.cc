// Control models and dialogs: the prefix search, program changes staying silent, user
// actions reaching the message map after the model has changed, the peer that follows a
// template control into the dialog's member, DDX both ways, the modal run through the
// scripted window system and resources.
#include "ui/window.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "doubles/scripted_window_system.h"
#include "files/file.h"
#include "ui/dialog.h"
#include "ui/win_app.h"

namespace {

using doubles::ScriptedWindowSystem;
using Log = std::vector<std::string>;

const DialogTemplate kDialog = [] {
    using K = ControlKind;
    DialogTemplate t;
    t.id = 9001, t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.controls = {{10, K::ListBox, "", LBS_NOTIFY, 0, 0, 20, 80, 60, 0},
                  {11, K::ComboBox, "", CBS_DROPDOWN, 0, 90, 20, 80, 60, 0},
                  {12, K::PushButton, "&Go", 0, 0, 90, 80, 50, 14, 0},
                  {13, K::ListBox, "", 0, 0, 10, 80, 20, 20, 0},
                  {14, K::Edit, "", ES_READONLY, 0, 51, 7, 290, 14, 0},
                  {15, K::ComboBox, "", CBS_DROPDOWNLIST, 0, 112, 37, 277, 140, 0},
                  {16, K::Static, "", SS_GRAYRECT | SS_NOTIFY, 0, 112, 56, 277, 169, 0}};
    return t;
}();
const IconResource kIcon{77, {IconImage{16, 16, 4, {}, {}, {}}, IconImage{32, 32, 4, {}, {}, {}}}};
const ResourceTable kResources{{&kDialog}, {&kIcon}, {}};

// Logs every command that reaches the dialog's default handling, with the list's
// selection, the combo's selection and its text as they were when it arrived.
class ModelDlg : public CDialog {
public:
    ModelDlg() : CDialog(9001) { RegisterResources(&kResources); }

    CListBox m_list;
    CComboBox m_combo;
    CButton m_go;
    CString m_strFile, m_strCombo;
    int m_nFrame = -1;
    bool m_bThrow = false, m_bBadId = false;
    Log calls;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 10, m_list);
        DDX_Control(pDX, 11, m_combo);
        DDX_Control(pDX, 12, m_go);
        DDX_Text(pDX, 14, m_strFile);
        DDX_CBIndex(pDX, 15, m_nFrame);
        DDX_CBString(pDX, 11, m_strCombo);
        if (m_bBadId) DDX_Text(pDX, 4242, m_strFile);
    }
    LRESULT DefWindowProc(UINT message, WPARAM wp, LPARAM lp) override {
        if (message != WM_COMMAND) return CDialog::DefWindowProc(message, wp, lp);
        calls.push_back(std::to_string(LOWORD(wp)) + "/" + std::to_string(HIWORD(wp)) + " " +
                        std::to_string(m_list.GetCurSel()) + " " +
                        std::to_string(m_combo.GetCurSel()) + " " + m_combo.GetWindowText());
        if (m_bThrow) throw CFileException(CFileException::diskFull, 28, "/tmp/x.iff");
        return 0;
    }
};

// Attaches a logging peer to each placeholder, as a back end does.
class PeeringWindowSystem : public ScriptedWindowSystem {
public:
    struct Peer : WindowPeer {
        void Attached(CWnd* w) override { wnd = w; }
        void TextChanged(const std::string& t) override { log.push_back("text " + t); }
        void EntriesReset() override { log.push_back("reset"); }
        void EntryAdded(int i, const std::string& t) override {
            log.push_back("add " + std::to_string(i) + " " + t);
        }
        void SelectionChanged(int i) override { log.push_back("sel " + std::to_string(i)); }
        CWnd* wnd = nullptr;
        Log log;
    };
    void RealizeDialog(CDialog& dlg) override {
        ScriptedWindowSystem::RealizeDialog(dlg);
        peers.resize(dlg.GetControlCount());
        for (int i = 0; i < dlg.GetControlCount(); ++i) dlg.GetControlAt(i)->SetPeer(&peers[i]);
    }
    std::vector<Peer> peers;
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        for (const char* s : {"1", "2", "40", "41891 (invalid)"}) dlg.m_combo.AddString(s);
        for (const char* s : {"a", "b"}) dlg.m_list.AddString(s);
    }
    PeeringWindowSystem ws;
    ModelDlg dlg;
};

TEST_F(ModelTest, SelectStringTakesTheFirstEntryBeginningWithTheTextInAnyCase) {
    // Text, the entry to search after, and the entry found (CB_ERR: selection and edit text
    // stay as they were). The last two search after an entry, wrapping round.
    const std::tuple<const char*, int, int> cases[] = {
        {"4", -1, 2}, {"4189", -1, 3},   {"41891 (INVALID)", -1, 3},
        {"", -1, 0},  {"3", -1, CB_ERR}, {"41891 (invalid) x", -1, CB_ERR},
        {"4", 2, 3},  {"4", 3, 2}};
    for (const auto& [text, after, want] : cases) {
        SCOPED_TRACE(std::string(text) + " after " + std::to_string(after));
        dlg.m_combo.SetCurSel(1);
        dlg.m_combo.SetWindowText("typed");
        EXPECT_EQ(dlg.m_combo.SelectString(after, text), want);
        EXPECT_EQ(dlg.m_combo.GetCurSel(), want == CB_ERR ? 1 : want);
        CString shown;
        if (want != CB_ERR) dlg.m_combo.GetLBText(want, shown);
        EXPECT_EQ(dlg.m_combo.GetWindowText(), want == CB_ERR ? "typed" : shown);
    }
}

// The peer hears every change the program makes and none the user makes; the handlers
// hear only the user's, after the model has taken them.
TEST_F(ModelTest, ProgramChangesAreSilentAndUserActionsChangeTheModelFirst) {
    PeeringWindowSystem::Peer& peer = ws.peers[1];
    EXPECT_EQ(peer.wnd, &dlg.m_combo);  // followed the template's control into the member
    peer.log.clear();
    dlg.m_list.SetCurSel(1);
    dlg.m_list.SetItemData(1, 7);
    dlg.m_combo.SetWindowText("409");
    dlg.m_combo.EnableWindow(FALSE);
    dlg.m_combo.EnableWindow(TRUE);
    ASSERT_TRUE(dlg.UpdateData(FALSE));  // an empty member selects nothing
    dlg.m_combo.AddString("5");
    EXPECT_EQ(peer.log, (Log{"text 409", "sel -1", "text ", "add 4 5"}));
    EXPECT_EQ(dlg.calls, Log{});

    CListBox& quiet = *static_cast<CListBox*>(dlg.GetDlgItem(13));  // a placeholder
    quiet.AddString("q");
    dlg.m_list.UserSelect(0);
    dlg.m_list.UserSelect(0);  // the entry already selected: a choice all the same
    dlg.m_combo.UserEditText("40");
    dlg.m_combo.UserSelect(3);
    dlg.m_go.UserClick();
    quiet.UserSelect(0);  // no LBS_NOTIFY: selected, but nobody hears of it
    EXPECT_EQ(quiet.GetCurSel(), 0);
    // id/notification code, then the state: LBN_SELCHANGE, CBN_EDITCHANGE, CBN_SELCHANGE
    EXPECT_EQ(dlg.calls, (Log{"10/1 0 -1 ", "10/1 0 -1 ", "11/5 0 -1 40",
                              "11/1 0 3 41891 (invalid)", "12/0 0 3 41891 (invalid)"}));
    EXPECT_EQ(peer.log.size(), 4u);  // nothing the user did came back

    for (CWnd* w : std::vector<CWnd*>{&dlg.m_go, &dlg.m_list, &dlg.m_combo}) w->EnableWindow(FALSE);
    dlg.m_go.UserClick();  // disabled controls ignore the user
    dlg.m_list.UserSelect(1);
    dlg.m_combo.UserEditText("5");
    EXPECT_EQ(dlg.calls.size(), 5u);

    EXPECT_EQ(dlg.m_combo.SetCurSel(9), CB_ERR);  // a bad index selects nothing
    EXPECT_EQ(dlg.m_combo.GetWindowText(), "");
    dlg.m_combo.SetCurSel(0);
    dlg.m_combo.ResetContent();  // also empties the edit text
    EXPECT_EQ(dlg.m_combo.GetWindowText(), "");
    EXPECT_EQ(dlg.calls.size(), 5u);
    EXPECT_EQ(peer.log.back(), "text ");  // the peer hears of the reset
    dlg.DestroyWindow();
    EXPECT_EQ(peer.wnd, nullptr);
    EXPECT_FALSE(dlg.m_combo.IsBound());
}

TEST_F(ModelTest, DataExchangeBothWays) {
    CComboBox& frames = *static_cast<CComboBox*>(dlg.GetDlgItem(15));
    for (const char* s : {"#0", "#1"}) frames.AddString(s);
    dlg.m_strFile = "/data/a.iff";
    dlg.m_nFrame = 1;
    dlg.m_combo.SetCurSel(1);
    dlg.m_strCombo.clear();  // a prefix of every entry, yet none is meant
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(dlg.GetDlgItem(14)->GetWindowText(), "/data/a.iff");
    EXPECT_EQ(frames.GetCurSel(), 1);
    EXPECT_EQ(dlg.m_combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(dlg.m_combo.GetWindowText(), "");
    dlg.m_nFrame = -1;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(frames.GetCurSel(), CB_ERR);

    dlg.GetDlgItem(14)->SetWindowText("/x.iff");
    frames.SetCurSel(0);
    dlg.m_combo.UserEditText("409");  // typed over the chosen entry
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_strFile + " " + std::to_string(dlg.m_nFrame) + " " + dlg.m_strCombo,
              "/x.iff 0 409");

    CRect rc;  // realized at the template's size: 277 * 6 / 4 and 169 * 13 / 8, rounded
    dlg.GetDlgItem(16)->GetClientRect(&rc);
    EXPECT_EQ(std::to_string(rc.Width()) + "x" + std::to_string(rc.Height()), "416x275");
}

TEST_F(ModelTest, DefaultHandlingEndsTheDialogAndReportsFileErrors) {
    dlg.m_bThrow = true;
    dlg.m_go.UserClick();
    ASSERT_EQ(ws.MessageBoxes().size(), 1u);
    EXPECT_EQ(ws.MessageBoxes()[0].type, MB_OK | MB_ICONHAND);
    EXPECT_NE(ws.MessageBoxes()[0].text.find("x.iff"), std::string::npos);
    EXPECT_EQ(ws.MessageBoxes()[0].caption, AfxGetAppName());

    dlg.m_bBadId = true;  // a control the dialog lacks fails the exchange, and OK with it
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    dlg.UserCommand(IDOK);
    EXPECT_FALSE(dlg.IsEnded());
    dlg.UserSysCommand(SC_CLOSE | 2);  // the close box cancels; the low bits are the system's
    EXPECT_EQ(dlg.GetModalResult(), IDCANCEL);
    dlg.m_bBadId = false;
    dlg.UserCommand(IDOK);
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
}

TEST_F(ModelTest, AMemberDestroyedBeforeItsDialogLeavesNoDanglingSlot) {
    {
        CListBox temp;
        CDataExchange dx(&dlg, FALSE);
        DDX_Control(&dx, 13, temp);
        EXPECT_EQ(dlg.GetDlgItem(13), &temp);
    }
    EXPECT_EQ(dlg.GetDlgItem(13), nullptr);
}

TEST(Modal, ScriptsDriveNestedDialogsInOrder) {
    ModelDlg main, about;
    EXPECT_EQ(main.DoModal(), -1);  // no window system
    ScriptedWindowSystem ws;
    ws.QueueModal([&](CDialog& d) {
        EXPECT_EQ(about.DoModal(), IDOK);
        d.EndDialog(IDCANCEL);
    });
    ws.QueueModal([&](CDialog& d) {
        EXPECT_EQ(&d, &about);
        EXPECT_TRUE(main.IsBound());
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    EXPECT_EQ(ws.ModalDialogs().size(), 2u);
    EXPECT_FALSE(main.IsBound());
    EXPECT_EQ(CDialog(4711).DoModal(), -1);
}

// Icon 77 has a 16 and a 32 pixel image; screens scaled to 125% and 150% ask for 20 and 24.
TEST(Resources, IconsGiveTheirNearestImage) {
    RegisterResources(&kResources);
    for (const auto& [asked, given] : {std::pair{32, 32}, {48, 32}, {20, 16}, {24, 16}, {8, 16}})
        EXPECT_EQ(FindIconImage(LoadIconResource(77), asked)->width, given) << asked;
}

}  // namespace
