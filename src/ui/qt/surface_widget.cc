#include "ui/qt/surface_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "raster/gdi.h"

namespace qtui {

namespace {

UINT MouseFlags(const QMouseEvent& event) {
    UINT flags = 0;
    if (event.buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
    if (event.buttons() & Qt::RightButton) flags |= MK_RBUTTON;
    if (event.buttons() & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (event.modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (event.modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

}  // namespace

QImage SurfaceToImage(HBITMAP surface) {
    if (!surface || !surface->bits || surface->bitCount != 32) return QImage();
    QImage image(surface->width, surface->height, QImage::Format_RGB32);
    for (LONG y = 0; y < surface->height; ++y) {
        const BYTE* src =
            surface->bits + static_cast<std::ptrdiff_t>(surface->height - 1 - y) * surface->stride;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (LONG x = 0; x < surface->width; ++x, src += 4) dst[x] = qRgb(src[2], src[1], src[0]);
    }
    return image;
}

SurfaceWidget::SurfaceWidget(bool notify, QWidget* parent) : QWidget(parent), m_notify(notify) {
    // Every pixel comes from the model's paint: nothing may be drawn underneath first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(notify);
    setAttribute(Qt::WA_TransparentForMouseEvents, !notify);
}

void SurfaceWidget::SetModel(CWnd* model) {
    m_model = model;
    update();
}

QSize SurfaceWidget::DeviceSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

bool SurfaceWidget::event(QEvent* event) {
    // Moved to a screen of another scale: the model's size in pixels changes with it.
    if (event->type() == QEvent::ScreenChangeInternal) {
        ReportSize();
        update();
    }
    return QWidget::event(event);
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    if (!m_model || !m_model->HandlesMessage(WM_PAINT)) {
        painter.fillRect(rect(), palette().color(QPalette::Mid));
        return;
    }
    const QSize device = DeviceSize();
    CBitmap surface;
    if (!surface.Attach(CreateCompatibleBitmap(nullptr, device.width(), device.height()))) return;
    m_model->PaintInto(surface);
    QImage image = SurfaceToImage(surface);
    image.setDevicePixelRatio(devicePixelRatioF());
    painter.drawImage(0, 0, image);
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* event) {
    // Moves outside the window (Qt keeps sending them while a button is held) belong to
    // whatever window is under the cursor, so the model never hears of them.
    if (!m_model || !rect().contains(event->position().toPoint())) return;
    const QPoint pos = (event->position() * devicePixelRatioF()).toPoint();
    m_model->UserMouseMove(MouseFlags(*event), pos.x(), pos.y());
}

void SurfaceWidget::wheelEvent(QWheelEvent* event) {
    if (!m_model || !m_notify) {
        event->ignore();
        return;
    }
    UINT flags = 0;
    if (event->buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
    if (event->modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
    const QPoint pos = (event->position() * devicePixelRatioF()).toPoint();
    // Qt's eighths of a degree per notch (120) are the system's wheel units.
    m_model->UserMouseWheel(flags, event->angleDelta().y(), pos.x(), pos.y());
}

void SurfaceWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (m_model && m_notify) m_model->UserMouseLeave();
}

void SurfaceWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ReportSize();
}

void SurfaceWidget::ReportSize() {
    const QSize device = DeviceSize();
    if (m_model) m_model->UserResize(device.width(), device.height());
}

}  // namespace qtui
