// The application object and what the whole program shares through it: its name, its
// main window, message boxes owned by that window.
#pragma once

#include <string>

#include "base/sys_constants.h"
#include "base/sys_types.h"
#include "ui/resource_tables.h"

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);  // NULL: the executable's name
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    HICON LoadIcon(UINT id) const { return LoadIconResource(id); }
    void OnHelp() {}  // there is no help file

    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;

protected:
    BOOL Enable3dControlsStatic() { return TRUE; }  // the look is always three-dimensional
};

CWinApp* AfxGetApp();  // the application object constructed last, or NULL
std::string AfxGetAppName();
int AfxMessageBox(const char* text, UINT type = MB_OK);  // owner: the main window
