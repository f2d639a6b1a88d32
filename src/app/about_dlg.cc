#include "app/about_dlg.h"

#include "app/app_resources.h"
#include "app/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {
    RegisterAppResources();
}
