// The back end on a dialog of its own, whose handlers log every notification: the
// controls' event paths, the dialog's keys, the painted surface and the file chooser.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "platform/gdi.h"
#include "platform/qt/file_chooser.h"
#include "platform/qt/surface_widget.h"
#include "qt/qt_test_support.h"
#include "support/iff_builder.h"

using namespace qttest;
using Log = std::vector<std::string>;

namespace {

enum : int { kEditCombo = 11, kListCombo = 12, kList = 13, kSurface = 14 };

const DialogTemplate& TestTemplate() {
    static const DialogTemplate tpl = [] {
        auto control = [](int id, ControlKind kind, DWORD style, short x, short y, short cx) {
            DialogControl c;
            c.id = id, c.kind = kind, c.style = style, c.x = x, c.y = y, c.cx = cx, c.cy = 40;
            return c;
        };
        using K = ControlKind;
        DialogTemplate t;
        t.id = 900;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.cx = 200, t.cy = 120;
        t.controls = {control(kEditCombo, K::ComboBox, CBS_DROPDOWN | WS_TABSTOP, 60, 30, 60),
                      control(kListCombo, K::ComboBox, CBS_DROPDOWNLIST | WS_TABSTOP, 130, 30, 60),
                      control(kList, K::ListBox, LBS_NOTIFY | WS_TABSTOP, 10, 50, 60),
                      control(kSurface, K::Static, SS_GRAYRECT | SS_NOTIFY, 80, 50, 63)};
        return t;
    }();
    return tpl;
}
const ResourceTable kResources{{&TestTemplate()}, {}, {}};

// Paints a green band over red.
class LoggingSurface : public CStatic {
public:
    Log* log = nullptr;
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
        CRect rc, band(0, 0, 0, 3);
        GetClientRect(&rc);
        band.right = rc.right;
        dc.FillSolidRect(&rc, RGB(200, 0, 0));
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

// Logs every command, with the text of the control it came from.
class LoggingDialog : public CDialog {
public:
    LoggingDialog() : CDialog(900) { surface.log = &log; }
    CComboBox editCombo, listCombo;
    CListBox list;
    LoggingSurface surface;
    Log log;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, kEditCombo, editCombo);
        DDX_Control(pDX, kListCombo, listCombo);
        DDX_Control(pDX, kList, list);
        DDX_Control(pDX, kSurface, surface);
    }
    LRESULT DefWindowProc(UINT message, WPARAM wp, LPARAM lp) override {
        if (message != WM_COMMAND) return CDialog::DefWindowProc(message, wp, lp);
        const std::string text = reinterpret_cast<CWnd*>(lp)->GetWindowText();
        log.push_back("cmd " + std::to_string(LOWORD(wp)) + "/" + std::to_string(HIWORD(wp)) +
                      (text.empty() ? "" : " " + text));
        return 0;
    }
};

}  // namespace

class BackendTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<qtui::QtWindowSystem> ws;
    std::unique_ptr<LoggingDialog> dlg;

    template <class W = QWidget>
    W* Widget(int id) {
        return Control<W>(*ws, *dlg, id);
    }
    Log TakeLog() { return std::exchange(dlg->log, {}); }

private slots:
    void init() {
        RegisterResources(&kResources);
        ws = std::make_unique<qtui::QtWindowSystem>();
        dlg = std::make_unique<LoggingDialog>();
        QVERIFY(dlg->Create());
        qtui::DialogWindow* window = ws->WindowOf(*dlg);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        for (const char* text : {"alpha", "beta", "bet"}) {
            dlg->editCombo.AddString(text);
            dlg->listCombo.AddString(text);
            dlg->list.AddString(text);
        }
        TakeLog();
    }
    void cleanup() {
        dlg.reset();
        ws.reset();
    }

    void editableCombo() {
        auto* combo = Widget<QComboBox>(kEditCombo);
        QCOMPARE(combo->currentIndex(), -1);  // adding entries selects nothing
        combo->setFocus();
        QTest::keyClicks(combo, "409");
        QTest::keyClick(combo, Qt::Key_Backspace);
        QCOMPARE(TakeLog(), (Log{"cmd 11/5 4", "cmd 11/5 40", "cmd 11/5 409", "cmd 11/5 40"}));

        // Enter and leaving the field pick nothing, even for an entry's exact text.
        combo->lineEdit()->clear();
        QTest::keyClicks(combo, "beta");
        TakeLog();
        QTest::keyClick(combo, Qt::Key_Return);
        Widget(kList)->setFocus();
        QCOMPARE(TakeLog(), Log{});
        QCOMPARE(dlg->editCombo.GetCurSel(), -1);

        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(TakeLog(), Log{"cmd 11/1 alpha"});
        QCOMPARE(dlg->editCombo.GetCurSel(), 0);

        // The program's changes show and notify nobody.
        dlg->editCombo.SelectString(-1, "BET");
        QCOMPARE(combo->currentText(), QString("beta"));
        dlg->editCombo.SetWindowText("123");
        QCOMPARE(combo->lineEdit()->text(), QString("123"));
        dlg->editCombo.ResetContent();
        QCOMPARE(combo->count(), 0);
        QCOMPARE(combo->lineEdit()->text(), QString());
        QCOMPARE(TakeLog(), Log{});
    }

    void dropDownListAndListBox() {
        auto* combo = Widget<QComboBox>(kListCombo);
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(TakeLog(), Log{"cmd 12/1 alpha"});
        dlg->listCombo.SetCurSel(2);
        QCOMPARE(combo->currentText(), QString("bet"));

        auto* list = Widget<QListWidget>(kList);
        auto click = [&](int row, Qt::MouseButton button = Qt::LeftButton) {
            QTest::mouseClick(list->viewport(), button, {},
                              list->visualItemRect(list->item(row)).center());
        };
        click(1);
        click(1);  // the same entry again is a choice too
        click(2, Qt::RightButton);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(TakeLog(), (Log{"cmd 13/1", "cmd 13/1", "cmd 13/1"}));
        QCOMPARE(dlg->list.GetCurSel(), 2);
        dlg->list.SetCurSel(0);
        QVERIFY(list->item(0)->isSelected());
        QCOMPARE(TakeLog(), Log{});
    }

    void surfaceShowsTheModelsPixelsAndGetsTheMouse() {
        auto* surface = Widget<qtui::SurfaceWidget>(kSurface);
        const QImage shown = surface->grab().toImage();
        QCOMPARE(shown.pixelColor(1, 2), QColor(0, 200, 0));
        QCOMPARE(shown.pixelColor(surface->width() - 1, 3), QColor(200, 0, 0));
        const int paints = dlg->surface.paints;
        dlg->surface.Invalidate();
        QTRY_VERIFY(dlg->surface.paints > paints);

        QTest::mouseMove(surface, QPoint(10, 5));
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(10, 5));
        QTest::mouseMove(surface, QPoint(13, 1));
        QTest::mouseMove(surface, QPoint(-5, 1));  // outside: another window's
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(13, 1));
        surface->resize(40, 30);
        QCOMPARE(TakeLog(), (Log{"move 0 10,5", "move 1 13,1", "size 40x30"}));
    }

    void fileChooser() {
        CFileDialog request(TRUE, ".iff", "*.iff", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                            "IFF files (*.iff)|*.iff|All files (*.*)|*.*||");
        QFileDialog configured;
        qtui::ConfigureFileDialog(configured, request.GetRequest());
        QCOMPARE(configured.nameFilters(), QStringList({"IFF files (*.iff)", "All files (*.*)"}));
        QCOMPARE(configured.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(configured.defaultSuffix(), QString("iff"));

        const std::string path = testsupport::TempPath("chosen.iff");
        testsupport::WriteFileBytes(path, {1, 2, 3});
        for (bool accept : {true, false}) {
            Poll([&] {
                QDialog* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!chooser) return false;
                static_cast<QFileDialog*>(chooser)->selectFile(QString::fromStdString(path));
                accept ? chooser->accept() : chooser->reject();
                return true;
            });
            QCOMPARE(request.DoModal(), accept ? IDOK : IDCANCEL);
        }
        QCOMPARE(request.GetPathName(), path);

        ws->SetFileChooser([](const FileChooserRequest& r) { return r.initialName + "!"; });
        QCOMPARE(request.DoModal(), IDOK);
        QCOMPARE(request.GetPathName(), std::string("*.iff!"));
    }
};

QTEST_MAIN(BackendTest)
#include "backend_test.moc"
