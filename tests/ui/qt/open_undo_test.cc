// Opening a file without the chooser, the focus after it, and undo and redo, on real
// widgets through Qt's own event paths.
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/spr2_builder.h"
#include "desktop/session_file.h"
#include "qt_steps.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/qt_window_system.h"
#include "ui/qt/surface_widget.h"

using namespace builders;

using qtsteps::Poll;
using qtsteps::RunModal;

namespace {

// Answers the next message box with button, noting its text.
void AnswerBox(QMessageBox::StandardButton button, QStringList* texts) {
    Poll([button, texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return false;
        *texts << box->text();
        QTest::mouseClick(box->button(button), Qt::LeftButton);
        return true;
    });
}

const QColor kRed(255, 0, 0), kBlue(0, 0, 255);
const QString kDiscard =
    "You haven't saved your changes yet! Are you sure you want to open an other file?";

}  // namespace

class OpenUndoTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<qtui::QtWindowSystem> ws;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;
    QStringList boxes;

    template <class W = QWidget>
    W* Widget(int id) {
        return qtsteps::Widget<W>(*ws, *dlg, id);
    }
    qtui::DialogHost* Window() { return ws->WindowOf(*dlg); }
    QColor PreviewCentre() {
        auto* preview = Widget(IDC_PREVIEW);
        return preview->grab().toImage().pixelColor(preview->width() / 2, preview->height() / 2);
    }
    QString FileBox() { return Widget<QLineEdit>(IDC_FILE)->text(); }
    // Drops path on target (the window, or a text field of it) as a file manager would.
    void Drop(QWidget* target, const std::string& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        data.setText(QString::fromStdString(file));
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }
    QImage Shot(int id) { return Widget(id)->grab().toImage(); }

private slots:
    void init() {
        ws = std::make_unique<qtui::QtWindowSystem>();
        path = TempPath("qt-open.iff");
        WriteFileBytes(path, desktop::SessionFileBytes());
        dlg = std::make_unique<CPatchDlg>();
        boxes.clear();
    }
    void cleanup() {
        dlg.reset();
        ws.reset();
    }

    void commandLine() {
        QProcess program;
        const auto run = [&program](const QStringList& args) {
            program.start(PALVANE2_PROGRAM, args);
            QVERIFY(program.waitForFinished(20000));
        };
        run({"--help"});
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardOutput().startsWith("Usage: palvane2 [FILE]\n"));
        run({"--version"});
        QCOMPARE(program.readAllStandardOutput(), QByteArray("palvane2 1.0\n"));
        for (const QStringList& args : {QStringList{"a.iff", "b.iff"}, QStringList{"--bad"}}) {
            run(args);
            QCOMPARE(program.exitCode(), 2);
            QVERIFY(program.readAllStandardError().contains("Usage: palvane2 [FILE]"));
            QVERIFY(program.readAllStandardOutput().isEmpty());
        }
    }

    // The argument opens as Browse would; the focus goes to the sprites, its ring showing,
    // and the chooser starts in the file's folder.
    void startWithAFileAndFocus() {
        dlg->m_strOpenAtStart = path;
        RunModal(*dlg, [&] {
            QCOMPARE(FileBox(), QString::fromStdString(path));
            QCOMPARE(Widget<QListWidget>(IDC_SPRITES)->count(), 2);
            QTRY_COMPARE(QApplication::focusWidget(), Widget(IDC_SPRITES));
            const QImage focusedList = Shot(IDC_SPRITES), plainClose = Shot(IDC_CLOSE);
            Widget(IDC_CLOSE)->setFocus();
            QVERIFY(Shot(IDC_SPRITES) != focusedList);
            QVERIFY(Shot(IDC_CLOSE) != plainClose);

            QString folder;
            ws->SetFileChooser(nullptr);
            Poll([&] {
                auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!chooser) return false;
                folder = chooser->directory().absolutePath();
                chooser->selectFile(QString::fromStdString(path));
                static_cast<QDialog*>(chooser)->accept();
                return true;
            });
            QTest::mouseClick(Widget<QPushButton>(IDC_BROWSE), Qt::LeftButton);
            QCOMPARE(folder, QFileInfo(QString::fromStdString(path)).absolutePath());
            QTRY_COMPARE(QApplication::focusWidget(), Widget(IDC_SPRITES));  // not on Browse
        });
    }

    // On the window or on a text field of it; unsaved changes are asked about first.
    void dropAFile() {
        const std::string other = TempPath("qt-other.iff");
        WriteFileBytes(other, desktop::SessionFileBytes());
        RunModal(*dlg, [&] {
            Drop(Window(), path);
            QTRY_COMPARE(FileBox(), QString::fromStdString(path));
            QCOMPARE(QApplication::focusWidget(), Widget(IDC_SPRITES));
            auto* common = Widget<QComboBox>(IDC_COMMON_PALETTE);
            common->setFocus();
            QTest::keyClicks(common, "2");
            QVERIFY(dlg->m_bDirty);
            AnswerBox(QMessageBox::No, &boxes);
            Drop(common->lineEdit(), other);
            QTRY_COMPARE(boxes.size(), 1);
            QCOMPARE(FileBox(), QString::fromStdString(path));
            QCOMPARE(common->currentText(), QString("12"));  // no text went into the field
            AnswerBox(QMessageBox::Yes, &boxes);
            Drop(Window(), other);
            QTRY_COMPARE(FileBox(), QString::fromStdString(other));
            QCOMPARE(boxes, QStringList(2, kDiscard));
            QVERIFY(!dlg->m_bDirty);
        });
    }

    // Ctrl+Z in a text field undoes its typing first, then the steps; Ctrl+Y and
    // Ctrl+Shift+Z redo from anywhere; the window menu names the step.
    void undoAndRedoByKeysAndMenu() {
        dlg->m_strOpenAtStart = path;
        RunModal(*dlg, [&] {
            auto* frames = Widget<QComboBox>(IDC_FRAME);
            auto* item = Widget<QComboBox>(IDC_ITEM_PALETTE);
            QTest::keyClick(frames, Qt::Key_Down);
            QCOMPARE(PreviewCentre(), kBlue);
            AnswerBox(QMessageBox::Yes, &boxes);
            QTest::mouseClick(Widget<QPushButton>(IDC_QUICK_PATCH), Qt::LeftButton);
            QVERIFY(QTest::qWaitForWindowActive(Window()));  // shortcuts work in it again
            QTest::keyClick(frames, Qt::Key_Down);
            QCOMPARE(item->currentText(), QString("41891 (invalid)"));
            QCOMPARE(PreviewCentre(), kRed);

            item->setFocus();
            item->lineEdit()->selectAll();
            QTest::keyClicks(item, "2");
            QCOMPARE(PreviewCentre(), kBlue);
            QTest::keyClick(item->lineEdit(), Qt::Key_Z,
                            Qt::ControlModifier);  // the typing
            QCOMPARE(item->currentText(), QString("41891 (invalid)"));
            QCOMPARE(PreviewCentre(), kRed);
            QCOMPARE(QString::fromStdString(dlg->m_history.NextUndo()->name), "Quick Patch");
            QTest::keyClick(item->lineEdit(), Qt::Key_Z,
                            Qt::ControlModifier);  // then the patch
            QCOMPARE(item->currentText(), QString("2"));
            QCOMPARE(PreviewCentre(), kBlue);
            QVERIFY(!dlg->m_bDirty);

            auto* sprites = Widget(IDC_SPRITES);
            sprites->setFocus();
            QTest::keyClick(sprites, Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(PreviewCentre(), kRed);
            QVERIFY(dlg->m_bDirty);
            QTest::keyClick(sprites, Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(sprites, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(PreviewCentre(), kRed);

            QStringList entries;
            Poll([&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu) return false;
                for (QAction* a : menu->actions())
                    entries << (a->isSeparator() ? "-"
                                                 : a->text() + (a->isEnabled() ? "" : " (off)"));
                QAction* undo = menu->actions().value(2);
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(undo).center());
                return true;
            });
            QTest::keyClick(Window(), Qt::Key_Space, Qt::AltModifier);
            QCOMPARE(entries, QStringList({"&Close\tAlt+F4", "-", "&Undo Quick Patch\tCtrl+Z",
                                           "&Redo\tCtrl+Y (off)", "-", "&About Palvane2..."}));
            QCOMPARE(PreviewCentre(), kBlue);
            QCOMPARE(boxes.size(), 1);  // the patch's question only
        });
    }
};

QTEST_MAIN(OpenUndoTest)
#include "open_undo_test.moc"
