// The main dialog on real widgets, used the way a user would: clicks, keys, typing and
// mouse drags, with its real message boxes answered as they come.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/patch_dlg.h"
#include "app/resource.h"
#include "platform/qt/surface_widget.h"
#include "qt/qt_test_support.h"
#include "support/iff_builder.h"
#include "support/spr2_builder.h"

using namespace qttest;
using namespace testsupport;

namespace {

// Palettes 1 (red) and 2 (blue); sprite 100 with frames in palettes 1 and 2, sprite 200
// with one frame in palette 2.
std::string WriteDemo() {
    auto palette = [](WORD id, Rgb colour) {
        PaltSpec spec;
        spec.colors.assign(256, colour);
        return PaltChunk(id, spec);
    };
    auto sprite = [](WORD id, DWORD paletteId, std::vector<WORD> framePalettes, const char* name) {
        Spr2Spec spec;
        spec.paletteId = paletteId;
        for (WORD framePalette : framePalettes) {
            Spr2Grid grid(10, 8);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 10; ++x) grid.Set(x, y, 5);
            spec.frames.push_back(FrameFromGrid(grid, framePalette));
        }
        return Spr2Chunk(id, spec, name);
    };
    IffSpec spec;
    spec.chunks = {palette(1, {255, 0, 0}), palette(2, {0, 0, 255}), sprite(100, 1, {1, 2}, "Orb"),
                   sprite(200, 2, {2}, "Tile")};
    const std::string path = TempPath("demo.iff");
    WriteFileBytes(path, BuildIff(spec));
    return path;
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<qtui::QtWindowSystem> ws;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;
    BoxAnswerer boxes;

    template <class W = QWidget>
    W* Widget(int id) {
        return Control<W>(*ws, *dlg, id);
    }
    qtui::DialogWindow* Window() { return ws->WindowOf(*dlg); }
    QColor PreviewCentre() {
        auto* preview = Widget(IDC_PREVIEW);
        return preview->grab().toImage().pixelColor(preview->width() / 2, preview->height() / 2);
    }
    void Browse() { QTest::mouseClick(Widget<QPushButton>(IDC_BROWSE), Qt::LeftButton); }
    bool Open() { return Window() && Window()->isVisible(); }

private slots:
    void init() {
        ws = std::make_unique<qtui::QtWindowSystem>();
        path = WriteDemo();
        ws->SetFileChooser([this](const FileChooserRequest&) { return path; });
        dlg = std::make_unique<CPatchDlg>();
    }
    void cleanup() {
        QVERIFY(boxes.Idle());
        dlg.reset();
        ws.reset();
    }

    void startUpAndKeysThatDoNothing() {
        const INT_PTR result = RunModal(*dlg, [&] {
            QCOMPARE(Window()->windowTitle(), QString("Palvane 2"));
            QVERIFY(!Window()->windowIcon().isNull());
            const qtui::DialogBaseUnits u = Window()->BaseUnits();
            QCOMPARE(Widget(IDC_PREVIEW)->geometry(),
                     QRect((112 * u.x + 2) / 4, (56 * u.y + 4) / 8, (277 * u.x + 2) / 4,
                           (169 * u.y + 4) / 8));
            QCOMPARE(Widget<QLineEdit>(IDC_FILE)->text(), QString());
            for (int id : {IDC_CLOSE, IDC_BROWSE}) QVERIFY(Widget(id)->isEnabled());
            for (int id : {IDC_SPRITES, IDC_FRAME, IDC_COMMON_PALETTE, IDC_ITEM_PALETTE, IDC_SAVE,
                           IDC_QUICK_PATCH, IDC_MANUAL_PATCH})
                QVERIFY(!Widget(id)->isEnabled());
            // Tab goes in template order over the controls that can take the focus.
            QTRY_COMPARE(QApplication::focusWidget(), Widget(IDC_CLOSE));
            for (int id : {IDC_FILE, IDC_BROWSE, IDC_CLOSE}) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), Widget(id));
            }

            Browse();
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Escape);
            Widget(IDC_SPRITES)->setFocus();
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Return);
            QVERIFY(Open());
            Widget(IDC_CLOSE)->setFocus();
            QTest::keyClick(Widget(IDC_CLOSE), Qt::Key_Return);  // nothing to save: it closes
        });
        QCOMPARE(result, INT_PTR(IDOK));
    }

    void workflow() {
        RunModal(*dlg, [&] {
            Browse();
            QCOMPARE(Widget<QLineEdit>(IDC_FILE)->text(), QString::fromStdString(path));
            auto* sprites = Widget<QListWidget>(IDC_SPRITES);
            QCOMPARE(sprites->count(), 2);
            QCOMPARE(sprites->item(0)->text(), QString("#100 - \"Orb\""));
            QVERIFY(sprites->item(0)->isSelected());
            auto* frames = Widget<QComboBox>(IDC_FRAME);
            QCOMPARE(frames->itemText(1), QString("#1 size: 10x8 pixels"));
            auto* common = Widget<QComboBox>(IDC_COMMON_PALETTE);
            auto* item = Widget<QComboBox>(IDC_ITEM_PALETTE);
            QCOMPARE(common->currentText(), QString("1"));
            QCOMPARE(PreviewCentre(), QColor(255, 0, 0));

            QTest::keyClick(frames, Qt::Key_Down);
            QCOMPARE(item->currentText(), QString("2"));
            QCOMPARE(PreviewCentre(), QColor(0, 0, 255));

            // Typed IDs take effect keystroke by keystroke; a chosen one by its entry.
            item->setFocus();
            item->lineEdit()->selectAll();
            QTest::keyClicks(item, "1");
            QCOMPARE(PreviewCentre(), QColor(255, 0, 0));
            QTest::keyClick(item, Qt::Key_Down);
            QCOMPARE(item->currentText(), QString("41891 (invalid)"));
            QTest::keyClick(item, Qt::Key_Up);
            QCOMPARE(item->currentText(), QString("2"));
            QCOMPARE(PreviewCentre(), QColor(0, 0, 255));
            QVERIFY(dlg->m_bDirty);

            QTest::mouseClick(sprites->viewport(), Qt::LeftButton, {},
                              sprites->visualItemRect(sprites->item(1)).center());
            QCOMPARE(frames->count(), 1);
            QCOMPARE(common->currentText(), QString("2"));

            boxes.Answer(QMessageBox::No);
            QTest::mouseClick(Widget<QPushButton>(IDC_QUICK_PATCH), Qt::LeftButton);
            boxes.Answer(QMessageBox::Yes);
            QTest::mouseClick(Widget<QPushButton>(IDC_QUICK_PATCH), Qt::LeftButton);
            QCOMPARE(item->currentText(), QString("41891 (invalid)"));
            boxes.Answer(QMessageBox::Ok);
            QTest::mouseClick(Widget<QPushButton>(IDC_SAVE), Qt::LeftButton);
            std::vector<SeenBox> seen = boxes.Take();
            QCOMPARE(seen.size(), 3u);
            QCOMPARE(seen[0].text, QString("This will set all items to an invalid palette!\n\n"
                                           "Are you sure you want to continue?"));
            QCOMPARE(seen[0].caption, QString("Warning"));
            QCOMPARE(seen[0].icon, QMessageBox::Warning);
            QCOMPARE(seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(seen[0].owner, static_cast<QWidget*>(Window()));
            QCOMPARE(seen[2].text, QString("File saved!"));
            QCOMPARE(seen[2].caption, QString("Success!"));
            QCOMPARE(seen[2].icon, QMessageBox::Information);
            QVERIFY(!dlg->m_bDirty);

            // Unsaved changes: the close box asks (No keeps it open), Alt+F4 asks again.
            QTest::keyClicks(common, "7");
            boxes.Answer(QMessageBox::No);
            Window()->close();
            QVERIFY(Open());
            boxes.Answer(QMessageBox::Yes);
            QVERIFY(QTest::qWaitForWindowActive(Window()));
            QTest::keyClick(Window(), Qt::Key_F4, Qt::AltModifier);
            seen = boxes.Take();
            QCOMPARE(seen.size(), 2u);
            QCOMPARE(seen[1].text,
                     QString("You haven't saved your changes yet! Are you sure you want to quit?"));
            QVERIFY(dlg->IsEnded());
        });
    }

    void dragMovesThePictureByTheCursorsDisplacement() {
        RunModal(*dlg, [&] {
            Browse();
            auto* preview = Widget<qtui::SurfaceWidget>(IDC_PREVIEW);
            const QPoint origin(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY);
            QTest::mouseMove(preview, QPoint(20, 20));
            QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mouseMove(preview, QPoint(22, 19));
            QTest::mouseMove(preview, QPoint(31, 15));
            QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(31, 15));
            QTest::mouseMove(preview, QPoint(40, 40));  // no button: no move
            const QPoint moved = origin + QPoint(11, -5);
            QCOMPARE(QPoint(dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY), moved);
            const QImage shown = preview->grab().toImage();
            QCOMPARE(shown.pixelColor(moved), QColor(255, 0, 0));
            QCOMPARE(shown.pixelColor(moved + QPoint(9, 7)), QColor(255, 0, 0));
            QCOMPARE(shown.pixelColor(moved - QPoint(1, 0)),
                     Window()->palette().color(QPalette::Button));
            QCOMPARE(shown.pixelColor(moved + QPoint(10, 0)),
                     Window()->palette().color(QPalette::Button));
            QTest::mouseClick(Widget<QPushButton>(IDC_CLOSE), Qt::LeftButton);
        });
    }

    void windowMenuWithTheAboutBox() {
        const INT_PTR result = RunModal(*dlg, [&] {
            QStringList entries, about;
            ChooseFromNextMenu(-1, &entries);
            Poll([&] {
                auto* box = dynamic_cast<qtui::DialogWindow*>(QApplication::activeModalWidget());
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
            QVERIFY(Open());

            // A right-click on the dialog's face opens the same menu; its Close closes.
            ChooseFromNextMenu(0);
            const QPoint face(3, Window()->height() - 3);
            QContextMenuEvent click(QContextMenuEvent::Mouse, face, Window()->mapToGlobal(face));
            QApplication::sendEvent(Window(), &click);
            QVERIFY(dlg->IsEnded());
        });
        QCOMPARE(result, INT_PTR(IDOK));
    }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
