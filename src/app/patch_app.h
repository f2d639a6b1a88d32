// The application object: runs the main dialog and ends the program with it.
#pragma once

#include "ui/win_app.h"

class CPatchApp : public CWinApp {
public:
    CPatchApp();

    BOOL InitInstance() override;

    // The file named on the command line, opened as the dialog starts; empty: none.
    CString m_strOpenAtStart;
};

extern CPatchApp theApp;
