// Dialogs: data exchange both ways, the modal run through the scripted window system,
// message boxes, the file chooser, resources and dialog units.
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_window_system.h"

namespace {

using testsupport::ScriptedWindowSystem;
using testsupport::ShownMessageBox;

constexpr UINT kMain = 9101;
constexpr UINT kAbout = 9102;

const DialogTemplate kMainDialog = [] {
    DialogTemplate t;
    t.id = kMain;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.cx = 408;
    t.cy = 266;
    t.caption = "Exchange";
    t.controls = {
        {1002, ControlKind::Edit, "", ES_READONLY, 0, 51, 7, 290, 14, 0},
        {1005, ControlKind::ComboBox, "", CBS_DROPDOWNLIST, 0, 112, 37, 277, 140, 0},
        {1010, ControlKind::Static, "", SS_GRAYRECT | SS_NOTIFY, 0, 112, 56, 277, 169, 0},
        {1011, ControlKind::ComboBox, "", CBS_DROPDOWN, 0, 16, 175, 86, 78, 0},
        {1012, ControlKind::ComboBox, "", CBS_DROPDOWN, 0, 16, 211, 86, 78, 0},
    };
    return t;
}();
const DialogTemplate kAboutDialog = [] {
    DialogTemplate t;
    t.id = kAbout;
    t.style = WS_POPUP | WS_CAPTION;
    t.controls = {{IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 0, 178, 7, 50, 14, 0}};
    return t;
}();
const IconResource kIcon{77, {IconImage{16, 16, 4, {}, {}, {}}, IconImage{32, 32, 4, {}, {}, {}}}};
const ResourceTable kResources{{&kMainDialog, &kAboutDialog}, {&kIcon}, {{101, "&About..."}}};

class ExchangeDlg : public CDialog {
public:
    ExchangeDlg() : CDialog(kMain) { RegisterResources(&kResources); }

    CComboBox m_cbFrame, m_cbCommon, m_cbItem;
    CStatic m_preview;
    CString m_strFile, m_strCommon, m_strItem;
    int m_nFrame = -1;
    int m_nInitCalls = 0;
    bool m_bBadId = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1005, m_cbFrame);
        DDX_Control(pDX, 1011, m_cbCommon);
        DDX_Control(pDX, 1012, m_cbItem);
        DDX_Control(pDX, 1010, m_preview);
        DDX_Text(pDX, 1002, m_strFile);
        DDX_CBIndex(pDX, 1005, m_nFrame);
        DDX_CBString(pDX, 1012, m_strItem);
        DDX_CBString(pDX, 1011, m_strCommon);
        if (m_bBadId) DDX_Text(pDX, 4242, m_strFile);
    }
    BOOL OnInitDialog() override {
        ++m_nInitCalls;
        return CDialog::OnInitDialog();
    }
};

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        for (const char* s : {"#0 size: 1x1 pixels", "#1 size: 2x2 pixels"})
            dlg.m_cbFrame.AddString(s);
        for (CComboBox* cb : {&dlg.m_cbCommon, &dlg.m_cbItem})
            for (const char* s : {"1", "2", "40", "41891 (invalid)"}) cb->AddString(s);
    }
    ScriptedWindowSystem ws;
    ExchangeDlg dlg;
};

TEST_F(ExchangeTest, TowardTheControls) {
    EXPECT_EQ(dlg.m_nInitCalls, 1);
    dlg.m_strFile = "/data/a.iff";
    dlg.m_nFrame = 1;
    dlg.m_strItem = "4";     // no entry "4": the first beginning with it
    dlg.m_strCommon = "77";  // no match: the edit text
    dlg.m_cbCommon.SetCurSel(1);
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(dlg.GetDlgItem(1002)->GetWindowText(), "/data/a.iff");
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), 1);
    EXPECT_EQ(dlg.m_cbItem.GetCurSel(), 2);
    EXPECT_EQ(dlg.m_cbItem.GetWindowText(), "40");
    EXPECT_EQ(dlg.m_cbCommon.GetCurSel(), 1);  // a failed match leaves the selection
    EXPECT_EQ(dlg.m_cbCommon.GetWindowText(), "77");
    dlg.m_nFrame = -1;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), CB_ERR);
}

TEST_F(ExchangeTest, TowardTheMembers) {
    dlg.GetDlgItem(1002)->SetWindowText("/x.iff");
    dlg.m_cbFrame.SetCurSel(0);
    dlg.m_cbItem.SetCurSel(3);
    dlg.m_cbItem.UserEditText("409");  // typed over the chosen entry
    dlg.m_cbCommon.SetWindowText("-1");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_strFile, "/x.iff");
    EXPECT_EQ(dlg.m_nFrame, 0);
    EXPECT_EQ(dlg.m_strItem, "409");
    EXPECT_EQ(dlg.m_cbItem.GetCurSel(), 3);
    EXPECT_EQ(dlg.m_strCommon, "-1");
}

TEST_F(ExchangeTest, AMissingControlFailsTheExchange) {
    dlg.m_bBadId = true;
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ExchangeDlg unrealized;
    EXPECT_FALSE(unrealized.UpdateData(TRUE));
}

TEST_F(ExchangeTest, ControlsGetTheirTemplateSizeInPixels) {
    CRect rc;
    dlg.m_preview.GetClientRect(&rc);
    EXPECT_EQ(rc.Width(), 416);   // 277 * 6 / 4, rounded
    EXPECT_EQ(rc.Height(), 275);  // 169 * 13 / 8, rounded
    EXPECT_EQ(dlg.m_preview.GetStyle() & SS_NOTIFY, SS_NOTIFY);
    EXPECT_EQ(DialogUnitsToPixels(CRect(-3, 1, 3, 3), 6, 13).left, -5);  // halves away from 0
}

TEST(Modal, ScriptsDriveNestedDialogsInOrder) {
    ScriptedWindowSystem ws;
    ExchangeDlg main;
    std::vector<std::string> seen;
    ws.QueueModal([&](CDialog& d) {
        seen.push_back("main init " + std::to_string(main.m_nInitCalls));
        CDialog about(kAbout);
        EXPECT_EQ(about.DoModal(), IDOK);
        d.EndDialog(IDOK);
    });
    ws.QueueModal([&](CDialog& d) {
        seen.push_back("about");
        static_cast<CButton*>(d.GetDlgItem(IDOK))->UserClick();
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_EQ(seen, (std::vector<std::string>{"main init 1", "about"}));
    EXPECT_EQ(ws.ModalDialogs(), (std::vector<UINT>{kMain, kAbout}));
    EXPECT_FALSE(main.IsBound());
    EXPECT_FALSE(main.m_cbItem.IsBound());

    EXPECT_EQ(main.DoModal(), IDCANCEL);  // nothing queued: returns at once
    EXPECT_EQ(main.m_nInitCalls, 2);
    CDialog missing(4711);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(Modal, NeedsAWindowSystem) {
    ExchangeDlg dlg;
    EXPECT_EQ(dlg.DoModal(), -1);
}

TEST(MessageBoxes, AnsweredFromTheQueueAndRecorded) {
    ScriptedWindowSystem ws;
    ExchangeDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ws.AnswerMessageBox(IDYES);
    EXPECT_EQ(dlg.MessageBox("Sure?", "Warning", MB_YESNO | MB_ICONEXCLAMATION), IDYES);
    EXPECT_EQ(dlg.MessageBox("Failed!", "Error", MB_ICONHAND), IDOK);  // OK boxes take nothing
    EXPECT_EQ(dlg.MessageBox("Again?", "Warning", MB_YESNO | MB_ICONEXCLAMATION), IDNO);
    EXPECT_EQ(ws.UnansweredQuestions(), 1);
    EXPECT_EQ(AfxMessageBox("Out of memory.", MB_ICONHAND), IDOK);
    EXPECT_EQ(ws.MessageBoxes(),
              (std::vector<ShownMessageBox>{{"Sure?", "Warning", MB_YESNO | MB_ICONEXCLAMATION},
                                            {"Failed!", "Error", MB_ICONHAND},
                                            {"Again?", "Warning", MB_YESNO | MB_ICONEXCLAMATION},
                                            {"Out of memory.", AfxGetAppName(), MB_ICONHAND}}));
}

TEST(FileChooser, PassesTheRequestAndReturnsTheChoice) {
    ScriptedWindowSystem ws;
    ws.ChooseFileAnswer("/data/sprites.iff");
    ws.CancelFileChooser();
    const char* filter = "IFF files (*.iff)|*.iff|All files (*.*)|*.*||";
    CFileDialog open(TRUE, ".iff", "*.iff", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter);
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.GetPathName(), "/data/sprites.iff");
    CFileDialog again(TRUE, ".iff", "*.iff", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter);
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(again.DoModal(), IDCANCEL);  // nothing queued: cancelled
    ASSERT_EQ(ws.FileChoosers().size(), 3u);
    const FileChooserRequest& r = ws.FileChoosers()[0];
    EXPECT_EQ(r.flags, 0x1004u);
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0].description, "IFF files (*.iff)");
    EXPECT_EQ(r.filters[0].pattern, "*.iff");
    EXPECT_EQ(r.filters[1].description, "All files (*.*)");
    EXPECT_EQ(r.filters[1].pattern, "*.*");
}

TEST(FileChooser, DefaultExtensionOnlyForNamesWithoutOne) {
    const std::vector<std::vector<std::string>> cases{{"/d/a", ".iff", "/d/a.iff"},
                                                      {"/d/a", "iff", "/d/a.iff"},
                                                      {"/d.x/a.IFF", ".iff", "/d.x/a.IFF"},
                                                      {"/d.x/a", ".iff", "/d.x/a.iff"}};
    for (const auto& c : cases) EXPECT_EQ(ApplyDefaultExtension(c[0], c[1]), c[2]) << c[0];
    EXPECT_EQ(ParseFileFilter("Only|*.a").size(), 1u);
}

TEST(Resources, IconsFallBackToTheirFirstImage) {
    RegisterResources(&kResources);
    EXPECT_EQ(LoadStringResource(101), "&About...");
    EXPECT_EQ(FindIconImage(LoadIconResource(77), 32)->width, 32);
    EXPECT_EQ(FindIconImage(LoadIconResource(77), 48)->width, 16);
}

}  // namespace
