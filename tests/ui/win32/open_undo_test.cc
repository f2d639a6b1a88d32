// Opening a file without the chooser, the focus after it, and undo and redo, on the system
// dialog through the program's own message loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/spr2_builder.h"
#include "desktop/session_file.h"
#include "dialog_fixture.h"
#include "driver.h"
#include "drop_and_keys.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/win32_window_system.h"

using namespace builders;
using driver::NativeWindow;

namespace {

const char kDiscard[] =
    "You haven't saved your changes yet! Are you sure you want to open an other file?";

class OpenUndoDialog : public Win32DialogTest {
protected:
    void SetUp() override {
        SetUpDialog("win-open.iff");
        if (!ws) return;
        ws->SetFileChooser([](const FileChooserRequest&) { return std::nullopt; });
        ws->SetMessageBoxAnswer(
            [this](NativeWindow, const std::string& text, const std::string&, UINT) {
                seen.push_back(text);
                const int answer = answers.empty() ? IDCANCEL : answers.front();
                if (!answers.empty()) answers.erase(answers.begin());
                return answer;
            });
    }
    void TearDown() override {
        EXPECT_TRUE(answers.empty());
        driver::ReleaseKeys();
        Win32DialogTest::TearDown();
    }

    // Runs each step from the dialog's own message loop, one a turn: keys a step posts have
    // gone through that loop before the next step runs. Then the dialog ends.
    void RunSteps(std::vector<std::function<void()>> steps) {
        auto next = std::make_shared<size_t>(0);
        driver::Poll([this, steps, next] {
            if (*next < steps.size()) {
                steps[(*next)++]();
                return false;
            }
            if (!dlg->IsEnded()) dlg->EndDialog(-1);
            return true;
        });
        dlg->DoModal();
    }
    std::uint32_t PreviewCentre() {
        const driver::Picture p = driver::Capture(Item(IDC_PREVIEW));
        return p.At(p.width / 2, p.height / 2);
    }

    std::vector<int> answers;
    std::vector<std::string> seen;
};

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

TEST_F(OpenUndoDialog, AFileAtStartOpensWithTheFocusOnTheSpritesAndItsRingShown) {
    dlg->m_strOpenAtStart = path;
    RunSteps({[&] {
        EXPECT_EQ(driver::Text(Item(IDC_FILE)), path);
        EXPECT_EQ(driver::Rows(Item(IDC_SPRITES)), 2);
        EXPECT_EQ(driver::Focus(), Item(IDC_SPRITES));
        EXPECT_TRUE(driver::FocusCuesShown(Window()));
    }});
}

TEST_F(OpenUndoDialog, ADroppedFileOpensAfterTheQuestionAboutUnsavedChanges) {
    const std::string other = TempPath("win-other.iff");
    WriteFileBytes(other, desktop::SessionFileBytes());
    RunSteps({[&] {
        ws->SetFileChooser(nullptr);  // the system's: the focus moves on once it has gone
        driver::Poll([&] {
            NativeWindow chooser = driver::OtherDialog({Window()});
            if (!chooser) return false;
            driver::EnterFileName(
                chooser,
                std::filesystem::u8path(other).lexically_normal().make_preferred().u8string());
            return true;
        });
        driver::Click(Item(IDC_BROWSE));
        EXPECT_EQ(driver::Rows(Item(IDC_SPRITES)), 2);
        EXPECT_EQ(driver::Focus(), Item(IDC_SPRITES));
        driver::SetFocusTo(Item(IDC_BROWSE));
        driver::DropFiles(Window(), {path});
        EXPECT_EQ(driver::Text(Item(IDC_FILE)), path);
        EXPECT_EQ(driver::Focus(), Item(IDC_SPRITES));
        driver::Type(Item(IDC_COMMON_PALETTE), "2", true);
        answers = {IDNO, IDYES};
        driver::DropFiles(Window(), {other});
        EXPECT_EQ(driver::Text(Item(IDC_FILE)), path);
        driver::DropFiles(Window(), {other});
        EXPECT_EQ(driver::Text(Item(IDC_FILE)), other);
        EXPECT_EQ(seen, std::vector<std::string>(2, kDiscard));
        EXPECT_FALSE(dlg->m_bDirty);
    }});
}

// Ctrl+Z in a palette box undoes its typing first; from the list it undoes the last step;
// Ctrl+Y and Ctrl+Shift+Z redo; the system menu names the step.
TEST_F(OpenUndoDialog, UndoAndRedoByKeysAndTheSystemMenu) {
    dlg->m_strOpenAtStart = path;
    const auto item = [this] { return Item(IDC_ITEM_PALETTE); };
    RunSteps({
        [&] {
            driver::ChooseRow(Item(IDC_FRAME), 1);
            answers = {IDYES};
            driver::Click(Item(IDC_QUICK_PATCH));
            driver::ChooseRow(Item(IDC_FRAME), 1);
            EXPECT_EQ(PreviewCentre(), kRed);
            driver::Type(item(), "2", true);
            EXPECT_EQ(PreviewCentre(), kBlue);
            driver::PostCtrlKey('Z');
        },
        [&] {
            driver::ReleaseKeys();
            EXPECT_EQ(driver::Text(item()), "41891 (invalid)");  // the typing
            EXPECT_EQ(PreviewCentre(), kRed);
            driver::SetFocusTo(Item(IDC_SPRITES));
            driver::PostCtrlKey('Z');
        },
        [&] {
            driver::ReleaseKeys();
            EXPECT_EQ(driver::Text(item()), "2");  // the patch, shown on its frame
            EXPECT_EQ(PreviewCentre(), kBlue);
            EXPECT_FALSE(dlg->m_bDirty);
            driver::PostCtrlKey('Y');
        },
        [&] {
            driver::ReleaseKeys();
            EXPECT_EQ(PreviewCentre(), kRed);
            EXPECT_TRUE(dlg->m_bDirty);
            driver::PostCtrlKey('Z');
            driver::PostCtrlKey('Z', true);
        },
        [&] {
            driver::ReleaseKeys();
            EXPECT_EQ(PreviewCentre(), kRed);
            driver::OpenSystemMenu(Window());
            const std::vector<std::string> entries = driver::SystemMenu(Window());
            ASSERT_GE(entries.size(), 5u);
            EXPECT_EQ(std::vector<std::string>(entries.end() - 5, entries.end()),
                      (std::vector<std::string>{"-", "&Undo Quick Patch\tCtrl+Z", "&Redo\tCtrl+Y",
                                                "-", "&About Palvane2..."}));
            driver::SysCommand(Window(), IDM_UNDO);
            EXPECT_EQ(PreviewCentre(), kBlue);
            EXPECT_EQ(seen.size(), 1u);  // the patch's question only
        },
    });
}

}  // namespace
