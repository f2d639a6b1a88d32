// Zoom and the status line on real widgets: the keys from wherever the focus is, Ctrl+wheel
// over the preview, a drag at 4x, what reaches the screen pixel for pixel, and the pixel
// readout under the cursor.
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <map>
#include <memory>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "desktop/session_file.h"
#include "qt_steps.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/qt_window_system.h"
#include "ui/qt/surface_widget.h"

using namespace builders;
using qtsteps::RunModal;

namespace {

const QColor kRed(255, 0, 0);

}  // namespace

class ZoomTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<qtui::QtWindowSystem> ws;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;

    template <class W = QWidget>
    W* Widget(int id) {
        return qtsteps::Widget<W>(*ws, *dlg, id);
    }
    qtui::SurfaceWidget* Preview() { return Widget<qtui::SurfaceWidget>(IDC_PREVIEW); }
    // The 10 x 8 red frame on screen: each of its pixels a z x z block at the model's
    // origin (screen pixels), every other pixel the face.
    void ExpectShownAt(int z) {
        QCOMPARE(dlg->m_preview.GetZoom(), z);
        QApplication::processEvents();
        const QImage shown = Preview()->grab().toImage();
        const QRect frame(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY, 10 * z, 8 * z);
        int wrong = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                wrong += (shown.pixelColor(x, y) == kRed) != frame.contains(x, y);
        QCOMPARE(wrong, 0);
    }
    // Logical widget position of screen pixel p of the preview.
    QPointF At(QPoint p) { return QPointF(p) / Preview()->devicePixelRatioF(); }
    // Sent straight to the preview: on a scaled offscreen screen the dialog lies partly
    // off the screen, where the test's cursor cannot go.
    void Hover(QPoint screenPixel) {
        const QPointF pos = At(screenPixel);
        QMouseEvent event(QEvent::MouseMove, pos, Preview()->mapToGlobal(pos), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Preview(), &event);
    }
    void Wheel(QPoint screenPixel, int delta, Qt::KeyboardModifiers mods) {
        const QPointF pos = At(screenPixel);
        QWheelEvent event(pos, Preview()->mapToGlobal(pos), QPoint(), QPoint(0, delta),
                          Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Preview(), &event);
    }

private slots:
    void init() {
        ws = std::make_unique<qtui::QtWindowSystem>();
        path = TempPath("zoom.iff");
        WriteFileBytes(path, desktop::SessionFileBytes());
        ws->SetFileChooser([this](const FileChooserRequest&) { return path; });
        dlg = std::make_unique<CPatchDlg>();
    }
    void cleanup() {
        dlg.reset();
        ws.reset();
    }

    void keysFromAnyControlAndTheWheel() {
        RunModal(*dlg, [&] {
            QTest::mouseClick(Widget(IDC_BROWSE), Qt::LeftButton);
            ExpectShownAt(1);
            auto* item = Widget<QComboBox>(IDC_ITEM_PALETTE);
            item->setFocus();  // a text field that leaves Ctrl and these keys alone
            QTest::keyClick(item, Qt::Key_Equal, Qt::ControlModifier);
            ExpectShownAt(2);
            // A synthetic key has no layout behind it: Ctrl++ stands for Ctrl+Shift+= here.
            QTest::keyClick(item, Qt::Key_Plus, Qt::ControlModifier);
            ExpectShownAt(3);
            QCOMPARE(item->currentText(), QString("1"));  // nothing typed into it
            Widget(IDC_SPRITES)->setFocus();
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Plus,
                            Qt::ControlModifier | Qt::KeypadModifier);
            ExpectShownAt(4);
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Minus, Qt::ControlModifier);
            ExpectShownAt(3);
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_0, Qt::ControlModifier);
            ExpectShownAt(1);

            // Ctrl+wheel over the preview: the frame pixel under the cursor stays under it.
            const QPoint cursor(dlg->m_preview.m_nOriginX + 7, dlg->m_preview.m_nOriginY + 2);
            Wheel(cursor, 120, Qt::NoModifier);
            ExpectShownAt(1);
            for (int z : {2, 3, 4}) {
                Wheel(cursor, 120, Qt::ControlModifier);
                ExpectShownAt(z);
                QCOMPARE((cursor.x() - dlg->m_preview.m_nOriginX) / z, 7);
                QCOMPARE((cursor.y() - dlg->m_preview.m_nOriginY) / z, 2);
            }

            // A drag at 4x moves the picture by what the cursor moved on the screen.
            const qreal dpr = Preview()->devicePixelRatioF();
            QTest::mousePress(Preview(), Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mouseMove(Preview(), QPoint(21, 20));
            const QPoint origin(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY);
            QTest::mouseMove(Preview(), QPoint(26, 17));
            QTest::mouseRelease(Preview(), Qt::LeftButton, {}, QPoint(26, 17));
            QCOMPARE(QPoint(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY),
                     origin + QPoint(5, -3) * dpr);
            ExpectShownAt(4);

            // The status line reads the frame pixel under the cursor.
            auto* status = Widget<QLabel>(IDC_STATUS);
            const QPoint pixel35(dlg->m_preview.m_nOriginX + 4 * 3 + 2,
                                 dlg->m_preview.m_nOriginY + 4 * 5 + 2);
            Hover(pixel35);
            QCOMPARE(
                status->text(),
                QString("Pixel 3, 5: colour 5 (red 255, green 0, blue 0), depth 255, alpha 255"));
            Hover(QPoint(3, 4));
            QCOMPARE(status->text(), QString("Frame 0 uses its own palette 1."));
            Hover(pixel35);
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(Preview(), &leave);
            QCOMPARE(status->text(), QString("Frame 0 uses its own palette 1."));

            // The palette's colours on Ctrl+P, the next palette on Ctrl+PgDn.
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_P, Qt::ControlModifier);
            QVERIFY(dlg->m_preview.IsSwatchShown());
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_PageDown, Qt::ControlModifier);
            QCOMPARE(status->text(),
                     QString("Palette 2: Ctrl+PgUp/PgDn for the others, Ctrl+P for the frame."));
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_P, Qt::ControlModifier);
            QVERIFY(!dlg->m_preview.IsSwatchShown());
        });
    }

    // Grown, the preview, the frame list, the file name and the status line take the room,
    // the buttons keep to their corners and the left column stays; the dragged picture
    // stays where it was. The template's size is the smallest.
    void growingWindow() {
        RunModal(*dlg, [&] {
            qtui::DialogHost* host = ws->WindowOf(*dlg);
            const QSize base = host->size();
            QCOMPARE(host->minimumSize(), base);
            QVERIFY(host->windowFlags() & Qt::WindowMaximizeButtonHint);
            QTest::mouseClick(Widget(IDC_BROWSE), Qt::LeftButton);
            QTest::mousePress(Preview(), Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mouseMove(Preview(), QPoint(21, 20));
            QTest::mouseMove(Preview(), QPoint(24, 26));
            QTest::mouseRelease(Preview(), Qt::LeftButton, {}, QPoint(24, 26));
            const QPoint dragged(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY);
            std::map<int, QRect> before;
            for (int id : {IDC_PREVIEW, IDC_STATUS, IDC_FRAME, IDC_FILE, IDC_BROWSE, IDC_CLOSE,
                           IDC_SAVE, IDC_SPRITES, IDC_COMMON_PALETTE})
                before[id] = Widget(id)->geometry();

            host->resize(base + QSize(100, 60));
            QCOMPARE(host->size(), base + QSize(100, 60));
            const auto grown = [&](int id, int x, int y, int cx, int cy) {
                return before[id].adjusted(x, y, x + cx, y + cy);
            };
            QCOMPARE(Widget(IDC_PREVIEW)->geometry(), grown(IDC_PREVIEW, 0, 0, 100, 60));
            QCOMPARE(Widget(IDC_STATUS)->geometry(), grown(IDC_STATUS, 0, 60, 100, 0));
            QCOMPARE(Widget(IDC_FRAME)->geometry(), grown(IDC_FRAME, 0, 0, 100, 0));
            QCOMPARE(Widget(IDC_FILE)->geometry(), grown(IDC_FILE, 0, 0, 100, 0));
            QCOMPARE(Widget(IDC_BROWSE)->geometry(), grown(IDC_BROWSE, 100, 0, 0, 0));
            for (int id : {IDC_CLOSE, IDC_SAVE})
                QCOMPARE(Widget(id)->geometry(), grown(id, 100, 60, 0, 0));
            for (int id : {IDC_SPRITES, IDC_COMMON_PALETTE})
                QCOMPARE(Widget(id)->geometry(), before[id]);
            CRect rc;
            dlg->m_preview.GetClientRect(&rc);
            QCOMPARE(QSize(rc.Width(), rc.Height()), Preview()->DeviceSize());
            QCOMPARE(QPoint(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY), dragged);

            host->resize(base - QSize(50, 50));
            QCOMPARE(host->size(), base);
            for (const auto& [id, rect] : before) QCOMPARE(Widget(id)->geometry(), rect);
        });
    }
};

QTEST_MAIN(ZoomTest)
#include "zoom_test.moc"
