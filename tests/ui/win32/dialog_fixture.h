// The main dialog on the system's windows, for the Win32 tests outside the shared sessions:
// a display (or a skip saying why there is none), a watchdog, the test file, the dialog.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/patch_dlg.h"
#include "builders/scratch_files.h"
#include "desktop/session_file.h"
#include "driver.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/win32_window_system.h"

class Win32DialogTest : public testing::Test {
protected:
    // fileName: the test file's name in the scratch folder.
    void SetUpDialog(const std::string& fileName) {
        if (!driver::CanShowWindows())
            GTEST_SKIP() << "no display to show windows on (run under an X server)";
        watchdog = std::make_unique<driver::Watchdog>(
            60, testing::UnitTest::GetInstance()->current_test_info()->name());
        ws = std::make_unique<win32ui::Win32WindowSystem>();
        path = builders::TempPath(fileName);
        builders::WriteFileBytes(path, desktop::SessionFileBytes());
        dlg = std::make_unique<CPatchDlg>();
    }
    void TearDown() override {
        dlg.reset();
        ws.reset();
        watchdog.reset();
    }
    driver::NativeWindow Window() {
        return ws->HostOf(*dlg) ? ws->HostOf(*dlg)->Window() : nullptr;
    }
    driver::NativeWindow Item(int id) { return driver::Item(Window(), id); }

    std::unique_ptr<driver::Watchdog> watchdog;
    std::unique_ptr<win32ui::Win32WindowSystem> ws;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;
};
