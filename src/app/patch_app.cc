#include "app/patch_app.h"

#include "app/app_resources.h"
#include "app/patch_dlg.h"

CPatchApp theApp;

CPatchApp::CPatchApp() {
    RegisterAppResources();
}

BOOL CPatchApp::InitInstance() {
    Enable3dControlsStatic();

    CPatchDlg dlg;
    dlg.m_strOpenAtStart = m_strOpenAtStart;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;  // the dialog is gone; nothing may reach it through us

    // No message loop of our own: the program ends with the dialog.
    return FALSE;
}
