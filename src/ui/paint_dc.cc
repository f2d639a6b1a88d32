#include "ui/paint_dc.h"

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd) {
    if (pWnd) m_hDC = pWnd->BeginPaint(&m_ps);
}

CPaintDC::~CPaintDC() {
    if (m_pWnd) m_pWnd->EndPaint(&m_ps);
    m_hDC = nullptr;  // the window's: nothing for CDC to delete
}
