#include "preview/sprite_preview.h"

#include <algorithm>
#include <climits>

#include "preview/preview_geometry.h"
#include "ui/paint_dc.h"

CSpritePreview::CSpritePreview() = default;

CSpritePreview::~CSpritePreview() = default;

const MessageMap* CSpritePreview::GetThisMessageMap() {
    static const MessageMap map{
        CStatic::GetThisMessageMap(),
        {MapEraseBkgnd(&CSpritePreview::OnEraseBkgnd), MapPaint(&CSpritePreview::OnPaint),
         MapSize(&CSpritePreview::OnSize), MapMouseMove(&CSpritePreview::OnMouseMove),
         MapMouseWheel(&CSpritePreview::OnMouseWheel),
         MapMouseLeave(&CSpritePreview::OnMouseLeave)}};
    return &map;
}

void CSpritePreview::SetFrameBitmap(CBitmap* pBitmap) {
    m_pBitmap = pBitmap;
    CenterBitmap();
}

BOOL CSpritePreview::GetBitmapSize(LONG& width, LONG& height) const {
    BITMAP bm{};
    if (!m_pBitmap || !m_pBitmap->GetSafeHandle() || !m_pBitmap->GetBitmap(&bm)) return FALSE;
    width = bm.bmWidth;
    height = bm.bmHeight;
    return TRUE;
}

void CSpritePreview::CenterBitmap() {
    CRect rc;
    GetClientRect(&rc);
    LONG w = 0, h = 0;
    GetBitmapSize(w, h);  // without a picture the size 0 centres the origin itself
    m_nOriginX = preview::CenterOrigin(rc.left, rc.right, w * m_nZoom);
    m_nOriginY = preview::CenterOrigin(rc.top, rc.bottom, h * m_nZoom);
    m_nLastMouseX = -1;
    m_nLastMouseY = -1;
    InvalidateRect(nullptr, TRUE);
}

BOOL CSpritePreview::OnEraseBkgnd(CDC* pDC) {
    (void)pDC;  // the paint covers every pixel: erasing first would only flicker
    return TRUE;
}

void CSpritePreview::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const int W = rc.right;
    const int H = rc.bottom;

    CDC memDC;
    if (!memDC.CreateCompatibleDC(&dc)) return;
    CBitmap offscreen;
    if (!offscreen.Attach(CreateCompatibleBitmap(dc, W, H))) return;
    HGDIOBJ oldBitmap = memDC.SelectObject(&offscreen);

    const CRect all(0, 0, W, H);
    memDC.SetBkColor(
        RGB(m_rgbBackground.rgbRed, m_rgbBackground.rgbGreen, m_rgbBackground.rgbBlue));
    memDC.ExtTextOut(0, 0, ETO_OPAQUE, &all, nullptr, 0);

    LONG w = 0, h = 0;
    if (m_bSwatch) {
        PaintSwatch(memDC, W, H);
    } else if (GetBitmapSize(w, h) && m_nZoom > 1) {
        CDC frameDC;
        if (frameDC.CreateCompatibleDC(&dc)) {
            HGDIOBJ oldFrame = frameDC.SelectObject(m_pBitmap);
            memDC.StretchBlt(m_nOriginX, m_nOriginY, w * m_nZoom, h * m_nZoom, &frameDC, 0, 0, w, h,
                             SRCCOPY);
            frameDC.SelectObject(oldFrame);
            frameDC.DeleteDC();
        }
    } else if (GetBitmapSize(w, h)) {
        const preview::Span cols = preview::ClipSpan(m_nOriginX, w, W);
        const preview::Span rows = preview::ClipSpan(m_nOriginY, h, H);
        if (cols.length >= 1 && rows.length >= 1) {
            CDC frameDC;
            if (frameDC.CreateCompatibleDC(&dc)) {
                HGDIOBJ oldFrame = frameDC.SelectObject(m_pBitmap);
                memDC.BitBlt(cols.dest, rows.dest, cols.length, rows.length, &frameDC, cols.src,
                             rows.src, SRCCOPY);
                frameDC.SelectObject(oldFrame);
                frameDC.DeleteDC();
            }
        }
    }

    dc.BitBlt(0, 0, W, H, &memDC, 0, 0, SRCCOPY);
    memDC.SelectObject(oldBitmap);
    offscreen.DeleteObject();
    memDC.DeleteDC();
}

void CSpritePreview::PaintSwatch(CDC& dc, int w, int h) {
    const preview::SwatchLayout s = preview::LayoutSwatch(w, h);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = m_swatch[i];
        const int x = s.originX + (i % 16) * s.cell, y = s.originY + (i / 16) * s.cell;
        const CRect cell(x, y, x + s.cell, y + s.cell);
        dc.FillSolidRect(&cell, RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
    }
}

void CSpritePreview::SetSwatch(const RGBQUAD* pColors) {
    m_bSwatch = pColors != nullptr;
    if (pColors) std::copy(pColors, pColors + 256, m_swatch);
    InvalidateRect(nullptr, TRUE);
}

void CSpritePreview::OnSize(UINT nType, int cx, int cy) {
    CStatic::OnSize(nType, cx, cy);
    InvalidateRect(nullptr, TRUE);
}

void CSpritePreview::OnMouseMove(UINT nFlags, CPoint point) {
    preview::DragState drag{m_nOriginX, m_nOriginY, m_nLastMouseX, m_nLastMouseY};
    if (preview::ApplyMouseMove(drag, (nFlags & MK_LBUTTON) != 0, point.x, point.y)) {
        m_nOriginX = drag.originX;
        m_nOriginY = drag.originY;
        InvalidateRect(nullptr, TRUE);
    }
    m_nLastMouseX = drag.lastX;
    m_nLastMouseY = drag.lastY;
    if (m_bSwatch) {
        CRect rc;
        GetClientRect(&rc);
        if (m_onSwatchHover)
            m_onSwatchHover(preview::SwatchIndexAt(preview::LayoutSwatch(rc.right, rc.bottom),
                                                   point.x, point.y));
    } else if (m_onHover)
        m_onHover(preview::FramePixelAt(m_nOriginX, m_nZoom, point.x),
                  preview::FramePixelAt(m_nOriginY, m_nZoom, point.y));
    CStatic::OnMouseMove(nFlags, point);
}

void CSpritePreview::OnMouseLeave() {
    if (m_bSwatch && m_onSwatchHover) m_onSwatchHover(-1);
    if (!m_bSwatch && m_onHover) m_onHover(INT_MIN, INT_MIN);
}

void CSpritePreview::OnMouseWheel(UINT nFlags, short zDelta, CPoint point) {
    if (!(nFlags & MK_CONTROL) || m_bSwatch) return;
    // A notch is WHEEL_DELTA; finer wheels add up to one.
    m_nWheelDelta += zDelta;
    const int steps = m_nWheelDelta / WHEEL_DELTA;
    m_nWheelDelta -= steps * WHEEL_DELTA;
    if (steps != 0) StepZoom(steps, point.x, point.y);
}

void CSpritePreview::StepZoom(int steps, int x, int y) {
    SetZoom(preview::StepZoom(m_nZoom, steps), x, y);
}

void CSpritePreview::StepZoomAboutCenter(int steps) {
    CRect rc;
    GetClientRect(&rc);
    const int zoom = steps == 0 ? 1 : preview::StepZoom(m_nZoom, steps);
    SetZoom(zoom, rc.right / 2, rc.bottom / 2);
}

void CSpritePreview::SetZoom(int zoom, int x, int y) {
    if (zoom == m_nZoom) return;
    m_nOriginX = preview::ZoomOrigin(m_nOriginX, m_nZoom, zoom, x);
    m_nOriginY = preview::ZoomOrigin(m_nOriginY, m_nZoom, zoom, y);
    m_nZoom = zoom;
    InvalidateRect(nullptr, TRUE);
}
