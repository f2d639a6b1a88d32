// The back end on a dialog of its own: every control kind, the keyboard and closing
// rules, the window menu, message boxes and the file chooser, through Qt's event paths.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "platform/gdi.h"
#include "platform/qt/file_chooser.h"
#include "platform/qt/surface_widget.h"
#include "qt/qt_test_support.h"
#include "support/iff_builder.h"

using namespace qttest;

namespace {

enum : int { kGo = 10, kEditCombo = 11, kListCombo = 12, kList = 13, kSurface = 14, kEdit = 15 };

DialogControl Control(int id, ControlKind kind, const char* text, DWORD style, short x, short y,
                      short cx, short cy) {
    DialogControl c;
    c.id = id, c.kind = kind, c.text = text, c.style = style;
    c.x = x, c.y = y, c.cx = cx, c.cy = cy;
    return c;
}

const DialogTemplate& TestTemplate() {
    static const DialogTemplate tpl = [] {
        using K = ControlKind;
        DialogTemplate t;
        t.id = 900;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.cx = 201, t.cy = 121;
        t.caption = "Test dialog";
        t.fontName = "MS Sans Serif";
        t.controls = {
            Control(kGo, K::PushButton, "&Go", WS_TABSTOP, 9, 7, 50, 14),
            Control(-1, K::Static, "Label:", SS_LEFT, 10, 30, 40, 8),
            Control(kEditCombo, K::ComboBox, "", CBS_DROPDOWN | WS_TABSTOP, 61, 29, 61, 60),
            Control(kListCombo, K::ComboBox, "", CBS_DROPDOWNLIST | WS_TABSTOP, 131, 29, 60, 60),
            Control(kList, K::ListBox, "", LBS_NOTIFY | WS_BORDER | WS_TABSTOP, 10, 50, 60, 41),
            Control(kSurface, K::Static, "", SS_GRAYRECT | SS_NOTIFY, 81, 50, 63, 43),
            Control(kEdit, K::Edit, "x", WS_BORDER | ES_READONLY | WS_TABSTOP, 10, 101, 103, 12),
        };
        return t;
    }();
    return tpl;
}

// Paints a green band over red and logs what reaches its handlers.
class LoggingSurface : public CStatic {
public:
    std::vector<std::string>* log = nullptr;
    int paints = 0;

protected:
    static const MessageMap* GetThisMessageMap() {
        static const MessageMap map{
            CStatic::GetThisMessageMap(),
            {MapPaint(&LoggingSurface::OnPaint), MapMouseMove(&LoggingSurface::OnMouseMove),
             MapSize(&LoggingSurface::OnSize)}};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    void OnPaint() {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(200, 0, 0));
        const CRect band(0, 0, rc.right, 3);
        dc.FillSolidRect(&band, RGB(0, 200, 0));
        ++paints;
    }
    void OnMouseMove(UINT flags, CPoint p) {
        log->push_back("move " + std::to_string(flags) + " " + std::to_string(p.x) + "," +
                       std::to_string(p.y));
    }
    void OnSize(UINT, int cx, int cy) {
        log->push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
    }
};

// Logs every command, close and system command that reaches it, with the control's text.
class LoggingDialog : public CDialog {
public:
    LoggingDialog() : CDialog(900) { surface.log = &log; }
    CComboBox editCombo, listCombo;
    CListBox list;
    LoggingSurface surface;
    std::vector<std::string> log;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, kEditCombo, editCombo);
        DDX_Control(pDX, kListCombo, listCombo);
        DDX_Control(pDX, kList, list);
        DDX_Control(pDX, kSurface, surface);
    }
    void OnOK() override { log.push_back("ok"); }
    void OnCancel() override { log.push_back("cancel"); }
    LRESULT DefWindowProc(UINT message, WPARAM wp, LPARAM lp) override {
        if (message == WM_COMMAND) {
            auto* from = reinterpret_cast<CWnd*>(lp);
            const std::string text = from ? from->GetWindowText() : "";
            log.push_back("cmd " + std::to_string(LOWORD(wp)) + "/" + std::to_string(HIWORD(wp)) +
                          (text.empty() ? "" : " " + text));
            return 0;
        }
        if (message == WM_CLOSE) {
            log.push_back("close");
            return 0;
        }
        if (message == WM_SYSCOMMAND) log.push_back("sys " + std::to_string(wp));
        return CDialog::DefWindowProc(message, wp, lp);
    }
};

const ResourceTable kResources{{&TestTemplate()}, {}, {}};

int Px(int units, int base, int div) {
    return (units * base + div / 2) / div;
}

}  // namespace

class BackendTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<qtui::QtWindowSystem> ws;
    std::unique_ptr<LoggingDialog> dlg;
    qtui::DialogWindow* window = nullptr;

    template <class W>
    W* Widget(int id) {
        return Control<W>(*ws, *dlg, id);
    }
    std::vector<std::string> TakeLog() { return std::exchange(dlg->log, {}); }

private slots:
    void init() {
        RegisterResources(&kResources);
        ws = std::make_unique<qtui::QtWindowSystem>();
        dlg = std::make_unique<LoggingDialog>();
        QVERIFY(dlg->Create());
        window = ws->WindowOf(*dlg);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        for (const char* text : {"alpha", "beta", "bet"}) {
            dlg->editCombo.AddString(text);
            dlg->listCombo.AddString(text);
            dlg->list.AddString(text);
        }
        dlg->log.clear();
    }
    void cleanup() {
        dlg.reset();
        ws.reset();
    }

    void geometryFollowsDialogUnits() {
        const qtui::DialogBaseUnits units = window->BaseUnits();
        const QFontMetrics metrics(window->font());
        const int letters =
            metrics.horizontalAdvance("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
        QCOMPARE(units.x, (letters + 26) / 52);
        QCOMPARE(units.y, metrics.height());
        QCOMPARE(window->font().pointSize(), 8);
        QCOMPARE(window->size(), QSize(Px(201, units.x, 4), Px(121, units.y, 8)));
        QCOMPARE(
            Widget<QPushButton>(kGo)->geometry(),
            QRect(Px(9, units.x, 4), Px(7, units.y, 8), Px(50, units.x, 4), Px(14, units.y, 8)));
        QCOMPARE(Widget<QWidget>(kSurface)->size(), QSize(Px(63, units.x, 4), Px(43, units.y, 8)));
        QCOMPARE(Widget<QComboBox>(kEditCombo)->pos(),
                 QPoint(Px(61, units.x, 4), Px(29, units.y, 8)));
        QCOMPARE(window->windowTitle(), QString("Test dialog"));
        QVERIFY(!(window->windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!Widget<QPushButton>(kGo)->isDefault());
    }

    void tabOrderAndKeys() {
        LoggingDialog modal;
        RunModal(modal, [&] {
            QWidget* order[] = {
                Control<QWidget>(*ws, modal, kGo), Control<QWidget>(*ws, modal, kEditCombo),
                Control<QWidget>(*ws, modal, kListCombo), Control<QWidget>(*ws, modal, kList),
                Control<QWidget>(*ws, modal, kEdit)};
            QTRY_COMPARE(QApplication::focusWidget(), order[0]);
            for (QWidget* expected : order) {
                QCOMPARE(QApplication::focusWidget(), expected);
                QTest::keyClick(expected, Qt::Key_Tab);
            }
            modal.log.clear();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            order[3]->setFocus();
            QTest::keyClick(order[3], Qt::Key_Return);
            order[0]->setFocus();
            QTest::keyClick(order[0], Qt::Key_Return);
            QTest::keyClick(order[0], Qt::Key_Space);
            QCOMPARE(modal.log,
                     (std::vector<std::string>{"cancel", "ok", "cmd 10/0 &Go", "cmd 10/0 &Go"}));
            QVERIFY(ws->WindowOf(modal)->isVisible());
            modal.EndDialog(5);
        });
    }

    void closeBoxAltF4AndWindowMenu() {
        window->close();
        QTest::keyClick(window, Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(TakeLog(), (std::vector<std::string>{"close", "close"}));
        QVERIFY(window->isVisible());

        CMenu* menu = dlg->GetSystemMenu(FALSE);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, 0x10, "&About...");
        QStringList texts;
        Poll([&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup) return false;
            for (QAction* a : popup->actions()) texts << (a->isSeparator() ? "-" : a->text());
            QTest::mouseClick(popup, Qt::LeftButton, {},
                              popup->actionGeometry(popup->actions().last()).center());
            return true;
        });
        QTest::keyClick(window, Qt::Key_Space, Qt::AltModifier);
        QCOMPARE(texts, QStringList({"&Close\tAlt+F4", "-", "&About..."}));
        QCOMPARE(TakeLog(), std::vector<std::string>{"sys 16"});

        // A right-click on the face opens it too; one on a control does not.
        QTest::mouseClick(Widget<QPushButton>(kGo), Qt::RightButton);
        QVERIFY(!QApplication::activePopupWidget());
        Poll([&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup) return false;
            QTest::mouseClick(popup, Qt::LeftButton, {},
                              popup->actionGeometry(popup->actions().first()).center());
            return true;
        });
        const QPoint face(2, window->height() - 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, face, window->mapToGlobal(face));
        QApplication::sendEvent(window, &event);
        QCOMPARE(TakeLog(), (std::vector<std::string>{"sys 61536", "close"}));
    }

    void editableCombo() {
        auto* combo = Widget<QComboBox>(kEditCombo);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), -1);  // adding entries selects nothing
        QCOMPARE(combo->currentText(), QString());

        QTest::keyClicks(combo, "409");
        QTest::keyClick(combo, Qt::Key_Backspace);
        QCOMPARE(TakeLog(), (std::vector<std::string>{"cmd 11/5 4", "cmd 11/5 40", "cmd 11/5 409",
                                                      "cmd 11/5 40"}));

        // Enter and leaving the field pick nothing, even for an entry's exact text.
        combo->lineEdit()->setText("");
        combo->setFocus();
        QTest::keyClicks(combo, "beta");
        TakeLog();
        QTest::keyClick(combo, Qt::Key_Return);
        Widget<QWidget>(kList)->setFocus();
        QCOMPARE(TakeLog(), std::vector<std::string>{});
        QCOMPARE(dlg->editCombo.GetCurSel(), -1);
        QCOMPARE(combo->currentText(), QString("beta"));

        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(TakeLog(), std::vector<std::string>{"cmd 11/1 alpha"});
        QCOMPARE(dlg->editCombo.GetCurSel(), 0);

        // The program's changes show and notify nobody.
        dlg->editCombo.SelectString(-1, "BET");
        QCOMPARE(combo->currentText(), QString("beta"));
        dlg->editCombo.SetWindowText("123");
        QCOMPARE(combo->lineEdit()->text(), QString("123"));
        dlg->editCombo.ResetContent();
        QCOMPARE(combo->count(), 0);
        QCOMPARE(combo->lineEdit()->text(), QString());
        QCOMPARE(TakeLog(), std::vector<std::string>{});
    }

    void dropDownListAndListBox() {
        auto* combo = Widget<QComboBox>(kListCombo);
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(TakeLog(), std::vector<std::string>{"cmd 12/1 alpha"});
        dlg->listCombo.SetCurSel(2);
        QCOMPARE(combo->currentText(), QString("bet"));

        auto* list = Widget<QListWidget>(kList);
        auto click = [&](int row, Qt::MouseButton button = Qt::LeftButton) {
            QTest::mouseClick(list->viewport(), button, {},
                              list->visualItemRect(list->item(row)).center());
        };
        click(1);
        click(1);
        click(2, Qt::RightButton);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(TakeLog(), (std::vector<std::string>{"cmd 13/1", "cmd 13/1", "cmd 13/1"}));
        QCOMPARE(dlg->list.GetCurSel(), 2);
        dlg->list.SetCurSel(0);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(0)->isSelected());
        dlg->list.EnableWindow(FALSE);
        click(1);
        QVERIFY(!list->isEnabled());
        QCOMPARE(TakeLog(), std::vector<std::string>{});
    }

    void surfaceShowsTheModelsPixelsAndGetsTheMouse() {
        auto* surface = Widget<qtui::SurfaceWidget>(kSurface);
        QVERIFY(surface);
        const QImage shown = surface->grab().toImage();
        QCOMPARE(shown.pixelColor(1, 2), QColor(0, 200, 0));
        QCOMPARE(shown.pixelColor(surface->width() - 1, 3), QColor(200, 0, 0));

        const int paints = dlg->surface.paints;
        dlg->surface.Invalidate();
        QTRY_VERIFY(dlg->surface.paints > paints);

        TakeLog();
        QTest::mouseMove(surface, QPoint(10, 5));
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(10, 5));
        QTest::mouseMove(surface, QPoint(13, 1));
        QTest::mouseMove(surface, QPoint(-5, 1));  // outside: someone else's
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(13, 1));
        surface->resize(40, 30);
        QCOMPARE(TakeLog(), (std::vector<std::string>{"move 0 10,5", "move 1 13,1", "size 40x30"}));
        CRect rc;
        dlg->surface.GetClientRect(&rc);
        QCOMPARE(QSize(rc.right, rc.bottom), QSize(40, 30));
    }

    void messageBoxes() {
        BoxAnswerer boxes;
        boxes.Answer(QMessageBox::No);
        boxes.Answer(QMessageBox::Yes);
        boxes.Answer(QMessageBox::Ok);
        boxes.Answer(QMessageBox::Ok);
        QCOMPARE(dlg->MessageBox("Sure?", "Warning", MB_YESNO | MB_ICONEXCLAMATION), IDNO);
        QCOMPARE(dlg->MessageBox("Sure?", "Warning", MB_YESNO | MB_ICONEXCLAMATION), IDYES);
        QCOMPARE(dlg->MessageBox("Bad", "Error", MB_OK | MB_ICONHAND), IDOK);
        QCOMPARE(dlg->MessageBox("Good", "Success!", MB_ICONASTERISK), IDOK);
        const std::vector<SeenBox> seen = boxes.Take();
        QCOMPARE(seen.size(), 4u);
        QCOMPARE(seen[0].caption, QString("Warning"));
        QCOMPARE(seen[0].text, QString("Sure?"));
        QCOMPARE(seen[0].icon, QMessageBox::Warning);
        QCOMPARE(seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(seen[0].owner, static_cast<QWidget*>(window));
        QCOMPARE(seen[2].icon, QMessageBox::Critical);
        QCOMPARE(seen[2].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen[3].icon, QMessageBox::Information);
    }

    void fileChooser() {
        const char* filter = "IFF files (*.iff)|*.iff|All files (*.*)|*.*||";
        CFileDialog request(TRUE, ".iff", "*.iff", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter);
        QFileDialog configured;
        qtui::ConfigureFileDialog(configured, request.GetRequest());
        QCOMPARE(configured.nameFilters(), QStringList({"IFF files (*.iff)", "All files (*.*)"}));
        QCOMPARE(configured.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(configured.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(configured.defaultSuffix(), QString("iff"));

        // The real chooser, answered and cancelled.
        const std::string path = testsupport::TempPath("chosen.iff");
        testsupport::WriteFileBytes(path, {1, 2, 3});
        for (bool accept : {true, false}) {
            Poll([&] {
                auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!chooser) return false;
                chooser->selectFile(QString::fromStdString(path));
                QDialog* asDialog = chooser;
                accept ? asDialog->accept() : asDialog->reject();
                return true;
            });
            QCOMPARE(request.DoModal(), accept ? IDOK : IDCANCEL);
        }
        QCOMPARE(request.GetPathName(), path);

        // The seam answers in its place.
        ws->SetFileChooser([](const FileChooserRequest& r) { return r.initialName + "!"; });
        QCOMPARE(request.DoModal(), IDOK);
        QCOMPARE(request.GetPathName(), std::string("*.iff!"));
    }
};

QTEST_MAIN(BackendTest)
#include "backend_test.moc"
