// The About box, opened from the main dialog's system menu.
#pragma once

#include "ui/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
