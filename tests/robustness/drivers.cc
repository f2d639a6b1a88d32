#include "drivers.h"

#include <cstdio>
#include <iostream>
#include <sstream>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "child_process.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "doubles/scripted_window_system.h"

namespace robustness {

const NamedChildBody kCli("cli", [](const ChildArgs& args) { return RunCli(args); });

int RunCli(const std::vector<std::string>& args, bool quiet) {
    std::vector<const char*> argv{"palvane2-cli"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    CommandLine cmd;
    if (const auto exitCode = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), cmd))
        return *exitCode;
    std::ostringstream dropped;
    std::streambuf* const out = quiet ? std::cout.rdbuf(dropped.rdbuf()) : nullptr;
    const ExitStatus status = RunCommand(cmd);
    if (quiet) std::cout.rdbuf(out);
    return static_cast<int>(status);
}

DialogRun QuickPatchInDialog(const std::string& path) {
    doubles::ScriptedWindowSystem ws;
    CPatchDlg dlg;
    DialogRun run;
    if (!dlg.Create()) return run;
    ws.ChooseFileAnswer(path);
    static_cast<CButton*>(dlg.GetDlgItem(IDC_BROWSE))->UserClick();
    run.opened = dlg.m_btnSave.IsWindowEnabled();
    for (int s = 0; s < dlg.m_lbSprites.GetCount(); ++s) {
        dlg.m_lbSprites.UserSelect(s);
        for (int f = 0; f < dlg.m_cbFrame.GetCount(); ++f) dlg.m_cbFrame.UserSelect(f);
    }
    ws.AnswerMessageBox(IDYES);
    dlg.m_btnQuickPatch.UserClick();
    dlg.m_btnSave.UserClick();
    if (!ws.MessageBoxes().empty()) run.lastMessage = ws.MessageBoxes().back().text;
    return run;
}

}  // namespace robustness
