// The preview window: paints the frame bitmap at its natural size, centred on a flat
// background, and lets the user drag it with the left mouse button.
#pragma once

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

    CBitmap* m_pBitmap = nullptr;  // not owned
    RGBQUAD m_rgbBackground{};     // set by the owner before the first paint
    int m_nOriginX = 0;
    int m_nOriginY = 0;
    int m_nLastMouseX = -1;
    int m_nLastMouseY = -1;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnMouseMove(UINT nFlags, CPoint point);

    static const MessageMap* GetThisMessageMap();
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

private:
    // Width and height of the picture; FALSE when there is none to show.
    BOOL GetBitmapSize(LONG& width, LONG& height) const;
};
