#include "app/about_dlg.h"

#include "app/app_resources.h"
#include "app/control_ids.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {
    RegisterAppResources();
}
