// The main dialog on real widgets, used the way a user would: clicks, keys, typing and
// mouse drags, with its real message boxes answered as they come.
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/qt_window_system.h"
#include "ui/qt/surface_widget.h"

using namespace builders;

namespace {

// Runs step every few milliseconds, from whatever event loop runs then, until it returns
// true. A step that never succeeds aborts the program: a dialog left open would hang it.
void Poll(std::function<bool()> step) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step, tries = 0]() mutable {
        if (step()) {
            timer->stop();
            timer->deleteLater();
        } else if (++tries > 2000) {
            qFatal("a step of the test never came to pass");
        }
    });
    timer->start(5);
}

// Runs dlg modally with script running inside its loop once the window is active; a
// script that returns without ending the dialog gets it ended with -1.
INT_PTR RunModal(CDialog& dlg, std::function<void()> script) {
    QTimer::singleShot(0, qApp, [&dlg, script] {
        // Keys reach shortcuts and focus only in the active window.
        if (QWidget* w = QApplication::activeModalWidget(); w && !QTest::qWaitForWindowActive(w))
            qWarning("the dialog never became active");
        script();
        if (!dlg.IsEnded()) dlg.EndDialog(-1);
    });
    return dlg.DoModal();
}

// Clicks entry `index` of the next popup menu (negative: from the end) once it opens,
// after noting its entries' texts ("-" for a separator) in *entries.
void ChooseFromNextMenu(int index, QStringList* entries = nullptr) {
    Poll([index, entries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return false;
        const QList<QAction*> actions = menu->actions();
        for (QAction* a : actions)
            if (entries) *entries << (a->isSeparator() ? "-" : a->text());
        QAction* chosen = actions.value(index < 0 ? actions.size() + index : index);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        return true;
    });
}

// A message box as the tests compare them: owner, text, caption, icon and buttons.
QString Box(const QWidget* owner, const QString& text, const QString& caption = "Warning",
            QMessageBox::Icon icon = QMessageBox::Warning,
            QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No) {
    return QString("%1 / %2 / %3 / %4 / %5")
        .arg(owner ? owner->windowTitle() : "-", text, caption, QString::number(icon),
             QString::number(buttons.toInt()));
}

// Answers real message boxes in the order they appear, each with the next queued button,
// by clicking it; notes every box it answered.
struct BoxAnswerer {
    void Answer(QMessageBox::StandardButton button) {
        queue.push_back(button);
        Poll([this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || queue.empty()) return false;
            seen << Box(box->parentWidget(), box->text(), box->windowTitle(), box->icon(),
                        box->standardButtons());
            QAbstractButton* target = box->button(queue.takeFirst());
            target ? QTest::mouseClick(target, Qt::LeftButton) : box->reject();
            return true;
        });
    }
    QList<QMessageBox::StandardButton> queue;
    QStringList seen;
};

std::string WriteDemo() {
    const std::string path = TempPath("demo.iff");
    WriteFileBytes(path, TwoSpriteDemo());
    return path;
}

const QColor kRed(255, 0, 0), kBlue(0, 0, 255);
const char kQuickPatch[] =
    "This will set all items to an invalid palette!\n\nAre you sure you want to continue?";
const char kQuit[] = "You haven't saved your changes yet! Are you sure you want to quit?";

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<qtui::QtWindowSystem> ws;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;
    BoxAnswerer boxes;

    // The widget of the main dialog's control with this ID.
    template <class W = QWidget>
    W* Widget(int id) {
        const DialogTemplate* tpl = dlg->GetTemplate();
        for (int i = 0; i < Window()->ControlCount(); ++i)
            if (tpl->controls[i].id == id) return dynamic_cast<W*>(Window()->ControlWidget(i));
        return nullptr;
    }
    qtui::DialogHost* Window() { return ws->WindowOf(*dlg); }
    QColor PreviewCentre() {
        auto* preview = Widget(IDC_PREVIEW);
        return preview->grab().toImage().pixelColor(preview->width() / 2, preview->height() / 2);
    }
    void Click(int id) { QTest::mouseClick(Widget<QPushButton>(id), Qt::LeftButton); }
    void ClickSprite(int row, Qt::MouseButton button = Qt::LeftButton) {
        auto* list = Widget<QListWidget>(IDC_SPRITES);
        QTest::mouseClick(list->viewport(), button, {},
                          list->visualItemRect(list->item(row)).center());
    }
    QPoint Origin() const { return {dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY}; }

private slots:
    void init() {
        ws = std::make_unique<qtui::QtWindowSystem>();
        path = WriteDemo();
        ws->SetFileChooser([this](const FileChooserRequest&) { return path; });
        dlg = std::make_unique<CPatchDlg>();
    }
    void cleanup() {
        QVERIFY(boxes.queue.empty());
        dlg.reset();
        ws.reset();
    }

    void startUpAndKeysThatDoNothing() {
        RunModal(*dlg, [&] {
            QCOMPARE(Window()->windowTitle(), QString("Palvane 2"));
            QVERIFY(!Window()->windowIcon().isNull());
            const qtui::DialogBaseUnits u = Window()->BaseUnits();
            QCOMPARE(Widget(IDC_PREVIEW)->geometry(),
                     QRect((112 * u.x + 2) / 4, (56 * u.y + 4) / 8, (277 * u.x + 2) / 4,
                           (169 * u.y + 4) / 8));
            QCOMPARE(Widget<QLineEdit>(IDC_FILE)->text(), QString());
            for (int id : {IDC_CLOSE, IDC_BROWSE, IDC_SPRITES, IDC_FRAME, IDC_COMMON_PALETTE,
                           IDC_ITEM_PALETTE, IDC_SAVE, IDC_QUICK_PATCH, IDC_MANUAL_PATCH})
                QCOMPARE(Widget(id)->isEnabled(), id == IDC_CLOSE || id == IDC_BROWSE);
            QTRY_COMPARE(QApplication::focusWidget(), Widget(IDC_CLOSE));  // the first to take it

            // Qt's own chooser, answered once and then cancelled: its filters, mode, suffix.
            ws->SetFileChooser(nullptr);
            QString chooser;
            auto answerChooser = [&](bool accept) {
                Poll([&, accept] {
                    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    if (!dialog) return false;
                    chooser = dialog->nameFilters().join(";") + " " +
                              QString::number(dialog->fileMode()) + " " + dialog->defaultSuffix();
                    dialog->selectFile(QString::fromStdString(path));
                    accept ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
                    return true;
                });
                Click(IDC_BROWSE);
            };
            answerChooser(true);
            QCOMPARE(chooser, QString("IFF files (*.iff);All files (*.*) 1 iff"));  // ExistingFile
            QCOMPARE(Widget<QLineEdit>(IDC_FILE)->text(), QString::fromStdString(path));
            Widget(IDC_SPRITES)->setFocus();
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Escape);
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Return);
            QVERIFY(Window()->isVisible());
            answerChooser(false);  // nothing left to work on
            QVERIFY(!Widget(IDC_SPRITES)->isEnabled());
            Widget(IDC_CLOSE)->setFocus();
            QTest::keyClick(Widget(IDC_CLOSE), Qt::Key_Return);  // nothing to save: it closes
            QCOMPARE(dlg->GetModalResult(), IDOK);
        });
    }

    void sessionThroughRealEvents() {
        RunModal(*dlg, [&] {
            Click(IDC_BROWSE);
            QCOMPARE(Widget<QLineEdit>(IDC_FILE)->text(), QString::fromStdString(path));
            auto* sprites = Widget<QListWidget>(IDC_SPRITES);
            QCOMPARE(sprites->count(), 2);
            QCOMPARE(sprites->item(0)->text(), QString("#100 - \"Orb\""));
            QCOMPARE(sprites->item(1)->text(),
                     QString::fromUtf8("#200 - \"D\u00E9cor\""));  // Latin-1
            QVERIFY(sprites->item(0)->isSelected());
            auto* frames = Widget<QComboBox>(IDC_FRAME);
            QCOMPARE(frames->itemText(1), QString("#1 size: 10x8 pixels"));
            auto* common = Widget<QComboBox>(IDC_COMMON_PALETTE);
            auto* item = Widget<QComboBox>(IDC_ITEM_PALETTE);
            QCOMPARE(common->currentText(), QString("1"));
            QCOMPARE(PreviewCentre(), kRed);

            // A drag moves the picture by the cursor's displacement, and only a drag does.
            auto* preview = Widget<qtui::SurfaceWidget>(IDC_PREVIEW);
            struct : QObject {
                int paints = 0;
                bool eventFilter(QObject*, QEvent* e) override {
                    paints += e->type() == QEvent::Paint;
                    return false;
                }
            } counter;
            preview->installEventFilter(&counter);
            QApplication::processEvents();
            const int paints = counter.paints;
            const QPoint origin = Origin();
            QTest::mouseMove(preview, QPoint(20, 20));
            QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mouseMove(preview, QPoint(22, 19));
            QTest::mouseMove(preview, QPoint(-5, 19));  // outside: another window's move
            QCOMPARE(Origin(), origin + QPoint(2, -1));
            QTest::mouseMove(preview, QPoint(31, 15));
            QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(31, 15));
            QTest::mouseMove(preview, QPoint(40, 40));  // no button: no move
            const QPoint moved = origin + QPoint(11, -5);
            QCOMPARE(Origin(), moved);
            QTRY_VERIFY(counter.paints > paints);  // the model's repaints reach the screen
            const QImage shown = preview->grab().toImage();
            const QColor face = Window()->palette().color(QPalette::Button);
            QCOMPARE(shown.pixelColor(moved), kRed);
            QCOMPARE(shown.pixelColor(moved + QPoint(9, 7)), kRed);
            QCOMPARE(shown.pixelColor(moved - QPoint(1, 0)), face);
            QCOMPARE(shown.pixelColor(moved + QPoint(10, 0)), face);
            preview->resize(60, 50);  // the model hears of the new size
            CRect rc;
            dlg->m_preview.GetClientRect(&rc);
            QCOMPARE(QSize(rc.Width(), rc.Height()), QSize(60, 50));

            QTest::keyClick(frames, Qt::Key_Down);
            QCOMPARE(item->currentText(), QString("2"));
            QCOMPARE(PreviewCentre(), kBlue);
            ClickSprite(0);  // the sprite already chosen, chosen again: back to frame 0
            QCOMPARE(frames->currentIndex(), 0);
            ClickSprite(1, Qt::RightButton);  // only the left button chooses
            QCOMPARE(frames->count(), 2);
            QVERIFY(!dlg->m_bDirty);  // what the program shows is no edit

            // Typed IDs take effect keystroke by keystroke; a chosen one by its entry.
            item->setFocus();
            item->lineEdit()->selectAll();
            QTest::keyClicks(item, "2");
            QCOMPARE(PreviewCentre(), kBlue);
            QTest::keyClick(item, Qt::Key_Return);  // picks no entry, even one named "2"
            frames->setFocus();                     // nor does leaving the field
            QCOMPARE(dlg->m_cbItemPalette.GetCurSel(), 0);
            QVERIFY(Window()->isVisible());
            item->setFocus();
            QTest::keyClick(item, Qt::Key_Backspace);  // no number: nothing changes
            QCOMPARE(PreviewCentre(), kBlue);
            QTest::keyClick(item, Qt::Key_Down);
            QCOMPARE(item->currentText(), QString("2"));
            QTest::keyClick(item, Qt::Key_Down);
            QCOMPARE(item->currentText(), QString("41891 (invalid)"));
            QCOMPARE(PreviewCentre(), kRed);  // drawn in the sprite's palette
            QVERIFY(dlg->m_bDirty);

            ClickSprite(1);
            QCOMPARE(frames->count(), 1);
            QCOMPARE(common->currentText(), QString("7"));  // no entry: the number, none chosen
            QCOMPARE(common->currentIndex(), -1);
            ClickSprite(0);  // and an entry chosen again
            QCOMPARE(common->currentIndex(), 0);
            ClickSprite(1);

            boxes.Answer(QMessageBox::No);
            Click(IDC_QUICK_PATCH);
            boxes.Answer(QMessageBox::Yes);
            Click(IDC_QUICK_PATCH);
            QCOMPARE(item->currentText(), QString("41891 (invalid)"));
            boxes.Answer(QMessageBox::Ok);
            Click(IDC_SAVE);
            const QString quick = Box(Window(), kQuickPatch),
                          saved = Box(Window(), "File saved!", "Success!", QMessageBox::Information,
                                      QMessageBox::Ok);
            QCOMPARE(std::exchange(boxes.seen, {}), QStringList({quick, quick, saved}));
            QVERIFY(!dlg->m_bDirty);

            // Unsaved changes: the close box asks (No keeps it open), Alt+F4 asks again.
            QTest::keyClicks(common, "7");
            boxes.Answer(QMessageBox::No);
            Window()->close();
            QVERIFY(Window()->isVisible());
            boxes.Answer(QMessageBox::Yes);
            QVERIFY(QTest::qWaitForWindowActive(Window()));
            QTest::keyClick(Window(), Qt::Key_F4, Qt::AltModifier);
            QCOMPARE(boxes.seen, QStringList(2, Box(Window(), kQuit)));
            QVERIFY(dlg->IsEnded());
        });
    }

    // Run on its own with QT_SCALE_FACTOR=2 (ctest does): sprites still show a screen pixel
    // for each of theirs, and a drag moves them by what the cursor moved on the screen.
    void previewOnAScaledScreen() {
        if (qApp->devicePixelRatio() < 2)
            QSKIP("needs a screen scaled to 200% (QT_SCALE_FACTOR=2)");
        RunModal(*dlg, [&] {
            Click(IDC_BROWSE);
            auto* preview = Widget<qtui::SurfaceWidget>(IDC_PREVIEW);
            const QImage shown = preview->grab().toImage();
            QCOMPARE(shown.size(), preview->size() * 2);
            int red = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) red += shown.pixelColor(x, y) == kRed;
            QCOMPARE(red, 10 * 8);  // the 10 x 8 frame
            QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mouseMove(preview, QPoint(21, 20));
            const QPoint origin = Origin();
            QTest::mouseMove(preview, QPoint(24, 19));
            QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(24, 19));
            QCOMPARE(Origin(), origin + QPoint(6, -2));
        });
    }

    void windowMenuWithTheAboutBox() {
        RunModal(*dlg, [&] {
            QStringList entries, about;
            ChooseFromNextMenu(-1, &entries);
            Poll([&] {
                auto* box = dynamic_cast<qtui::DialogHost*>(QApplication::activeModalWidget());
                if (!box || box == Window() || !box->isVisible()) return false;
                about << box->windowTitle();
                for (QLabel* label : box->findChildren<QLabel*>())
                    about << (label->pixmap().isNull() ? label->text() : "icon");
                for (QPushButton* button : box->findChildren<QPushButton*>())
                    about << button->text();
                QTest::keyClick(box, Qt::Key_Escape);
                return true;
            });
            QTest::keyClick(Window(), Qt::Key_Space, Qt::AltModifier);
            QCOMPARE(entries, QStringList({"&Close\tAlt+F4", "-", "&About Palvane2..."}));
            QCOMPARE(about, QStringList({"About Palvane2", "icon", "Palvane2 Version 1.0", "OK"}));
            QVERIFY(Window()->isVisible());

            // A right-click on the dialog's face opens the same menu; its Close closes.
            ChooseFromNextMenu(0);
            const QPoint face(3, Window()->height() - 3);
            QContextMenuEvent click(QContextMenuEvent::Mouse, face, Window()->mapToGlobal(face));
            QApplication::sendEvent(Window(), &click);
            QCOMPARE(dlg->GetModalResult(), IDOK);
        });
    }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
