// Painting a window: the device context its WM_PAINT handler draws with.
#pragma once

#include "raster/gdi.h"
#include "ui/window.h"

// One paint of a window, from BeginPaint to EndPaint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    CWnd* m_pWnd;
};
