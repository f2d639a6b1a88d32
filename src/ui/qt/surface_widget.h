// A window whose own class paints it: its model draws every pixel into a surface in
// memory, and the widget puts that surface on screen unchanged.
#pragma once

#include <QImage>
#include <QWidget>

#include "raster/bitmap.h"
#include "ui/window.h"

namespace qtui {

// A 32-bit surface (bottom-up rows) as an opaque image, rows top-down.
QImage SurfaceToImage(HBITMAP surface);

class SurfaceWidget : public QWidget {
public:
    // notify: the window takes mouse input (a static's notify style); without it the
    // mouse falls through to the dialog, as for any plain static.
    SurfaceWidget(bool notify, QWidget* parent);

    void SetModel(CWnd* model);
    CWnd* Model() const { return m_model; }
    // The size in the screen's own pixels, which is what the model draws in: on a scaled
    // screen a sprite still shows pixel for pixel.
    QSize DeviceSize() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ReportSize();  // the device size, to the model

    CWnd* m_model = nullptr;
    bool m_notify;
};

}  // namespace qtui
