// The preview window: paints the frame bitmap enlarged by a whole zoom factor (1x: its
// natural size), centred on a flat background, and lets the user drag it with the left
// mouse button and zoom it with Ctrl and the wheel.
#pragma once

#include <functional>

#include "base/types.h"
#include "raster/bitmap.h"
#include "raster/gdi.h"
#include "ui/controls.h"

class CSpritePreview : public CStatic {
public:
    CSpritePreview();
    ~CSpritePreview() override;

    // Shows pBitmap (NULL: nothing) and centres it.
    void SetFrameBitmap(CBitmap* pBitmap);
    // Centres the picture, forgets the last mouse position and asks for a repaint.
    void CenterBitmap();
    // Zooms steps levels up (down when negative) keeping the frame pixel under (x, y),
    // client pixels, where it is.
    void StepZoom(int steps, int x, int y);
    // The same about the middle of the window; steps 0: back to 1x.
    void StepZoomAboutCenter(int steps);
    int GetZoom() const { return m_nZoom; }

    // Shows the 256 colours instead of the frame (NULL: the frame again); the colours
    // are copied.
    void SetSwatch(const RGBQUAD* pColors);
    bool IsSwatchShown() const { return m_bSwatch; }

    // Told the frame pixel under the mouse at every move over the window (which may lie
    // outside the frame; INT_MIN, INT_MIN when the mouse leaves the window); while the
    // swatch shows, the colour index under it (-1: none) through m_onSwatchHover instead.
    std::function<void(int x, int y)> m_onHover;
    std::function<void(int index)> m_onSwatchHover;

    CBitmap* m_pBitmap = nullptr;  // not owned
    RGBQUAD m_rgbBackground{};     // set by the owner before the first paint
    int m_nOriginX = 0;
    int m_nOriginY = 0;
    int m_nLastMouseX = -1;
    int m_nLastMouseY = -1;
    int m_nZoom = 1;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseWheel(UINT nFlags, short zDelta, CPoint point);
    void OnMouseLeave();

    static const MessageMap* GetThisMessageMap();
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

private:
    // Width and height of the picture; FALSE when there is none to show.
    BOOL GetBitmapSize(LONG& width, LONG& height) const;
    void SetZoom(int zoom, int x, int y);
    int m_nWheelDelta = 0;  // wheel movement short of a whole notch
    void PaintSwatch(CDC& dc, int w, int h);
    bool m_bSwatch = false;
    RGBQUAD m_swatch[256] = {};
};
