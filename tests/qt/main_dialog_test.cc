// The main dialog on real widgets, used the way a user would: clicks, keys, typing and
// mouse drags, with its real message boxes answered as they come.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/patch_dlg.h"
#include "app/resource.h"
#include "iff/iff_types.h"
#include "platform/qt/surface_widget.h"
#include "qt/qt_test_support.h"
#include "support/iff_builder.h"
#include "support/spr2_builder.h"

using namespace qttest;
using namespace testsupport;

namespace {

ChunkSpec Palette(WORD id, Rgb colour) {
    PaltSpec spec;
    spec.colors.assign(256, colour);
    return PaltChunk(id, spec);
}

Spr2FrameSpec Frame(WORD paletteId, int w, int h) {
    Spr2Grid grid(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) grid.Set(x, y, 5);
    return FrameFromGrid(grid, paletteId);
}

ChunkSpec Sprite(WORD id, DWORD paletteId, std::vector<Spr2FrameSpec> frames, const char* name) {
    Spr2Spec spec;
    spec.paletteId = paletteId;
    spec.frames = std::move(frames);
    return Spr2Chunk(id, spec, name);
}

std::string WriteDemo() {
    IffSpec spec;
    spec.chunks = {Palette(1, {255, 0, 0}), Palette(2, {0, 0, 255}),
                   Sprite(100, 1, {Frame(1, 10, 8), Frame(2, 4, 4)}, "Orb"),
                   Sprite(200, 2, {Frame(2, 6, 6)}, "Tile")};
    const std::string path = TempPath("demo.iff");
    WriteFileBytes(path, BuildIff(spec));
    return path;
}

// Each sprite's frame palette IDs as the file on disk holds them.
std::vector<WORD> FramePalettesOnDisk(const std::string& path) {
    CIffFile iff;
    std::vector<WORD> ids;
    if (!LoadIffBytes(iff, ReadFileBytes(path))) return ids;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos;) {
        CSpr2 sprite;
        if (sprite.Attach(&iff, iff.GetNextByIdOfType(pos)))
            for (const Spr2FrameInfo& f : sprite.m_frames) ids.push_back(f.wPaletteId);
    }
    return ids;
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<qtui::QtWindowSystem> ws;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;
    std::vector<FileChooserRequest> choosers;
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
        choosers.clear();
        ws->SetFileChooser([this](const FileChooserRequest& r) {
            choosers.push_back(r);
            return path;
        });
        dlg = std::make_unique<CPatchDlg>();
    }
    void cleanup() {
        const bool allAnswered = boxes.Idle();
        boxes.Reset();
        QVERIFY(allAnswered);
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
            QTRY_COMPARE(QApplication::focusWidget(), Widget(IDC_CLOSE));

            Browse();
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Escape);
            Widget(IDC_SPRITES)->setFocus();
            QTest::keyClick(Widget(IDC_SPRITES), Qt::Key_Return);
            QVERIFY(Open());
            QTest::mouseClick(Widget<QPushButton>(IDC_CLOSE), Qt::LeftButton);  // unchanged
        });
        QCOMPARE(result, INT_PTR(IDOK));
    }

    void workflow() {
        RunModal(*dlg, [&] {
            Browse();
            QCOMPARE(choosers.size(), 1u);
            QCOMPARE(choosers[0].initialName, std::string("*.iff"));
            QCOMPARE(choosers[0].defaultExtension, std::string(".iff"));
            QCOMPARE(Widget<QLineEdit>(IDC_FILE)->text(), QString::fromStdString(path));
            auto* sprites = Widget<QListWidget>(IDC_SPRITES);
            QCOMPARE(sprites->count(), 2);
            QCOMPARE(sprites->item(0)->text(), QString("#100 - \"Orb\""));
            QVERIFY(sprites->item(0)->isSelected());
            auto* frames = Widget<QComboBox>(IDC_FRAME);
            QCOMPARE(frames->currentText(), QString("#0 size: 10x8 pixels"));
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
            QCOMPARE(PreviewCentre(), QColor(255, 0, 0));  // the sprite's own palette
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
            QCOMPARE(FramePalettesOnDisk(path), (std::vector<WORD>{41891, 41891, 41891}));

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

    void aboutBoxFromTheWindowMenu() {
        RunModal(*dlg, [&] {
            QStringList entries, about;
            auto chooseAbout = [&] {
                Poll([&] {
                    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    if (!menu) return false;
                    entries.clear();
                    for (QAction* a : menu->actions())
                        entries << (a->isSeparator() ? "-" : a->text());
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(menu->actions().last()).center());
                    return true;
                });
            };
            // The About box shows and ends with Escape the first time, its close box next.
            auto endAbout = [&](bool escape) {
                Poll([&, escape] {
                    auto* box =
                        dynamic_cast<qtui::DialogWindow*>(QApplication::activeModalWidget());
                    if (!box || box == Window() || !box->isVisible()) return false;
                    about = QStringList{box->windowTitle()};
                    for (QLabel* label : box->findChildren<QLabel*>())
                        about << (label->pixmap().isNull() ? label->text() : "icon");
                    for (QPushButton* button : box->findChildren<QPushButton*>())
                        about << button->text();
                    if (escape)
                        QTest::keyClick(box, Qt::Key_Escape);
                    else
                        box->close();
                    return true;
                });
            };
            chooseAbout();
            endAbout(true);
            QTest::keyClick(Window(), Qt::Key_Space, Qt::AltModifier);
            QCOMPARE(entries, QStringList({"&Close\tAlt+F4", "-", "&About Palvane2..."}));
            QCOMPARE(about, QStringList({"About Palvane2", "icon", "Palvane2 Version 1.0", "OK"}));

            about.clear();
            chooseAbout();
            endAbout(false);
            const QPoint face(3, Window()->height() - 3);
            QContextMenuEvent rightClick(QContextMenuEvent::Mouse, face,
                                         Window()->mapToGlobal(face));
            QApplication::sendEvent(Window(), &rightClick);
            QCOMPARE(about.size(), 4);
            QVERIFY(Open());
            QVERIFY(!Widget(IDC_SAVE)->isEnabled());
        });
    }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
