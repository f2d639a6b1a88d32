// The main dialog on real widgets, driven through Qt's own event paths: the shared sessions
// through a user's hands, then what only the Qt back end has.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
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

#include "app/control_ids.h"
#include "desktop/sessions.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/qt_window_system.h"

namespace {

using desktop::Key;
using Strings = std::vector<std::string>;

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

std::string Str(const QString& s) {
    return s.toStdString();
}

// Each Key in its order as Qt reports it, Ctrl aside. A synthetic key has no layout behind
// it: Shift+= is Key_Plus itself.
const std::pair<Qt::Key, Qt::KeyboardModifiers> kQtKeys[] = {
    {Qt::Key_Escape, {}}, {Qt::Key_Return, {}},
    {Qt::Key_Z, {}},      {Qt::Key_Z, Qt::ShiftModifier},
    {Qt::Key_Y, {}},      {Qt::Key_Equal, {}},
    {Qt::Key_Plus, {}},   {Qt::Key_Plus, Qt::KeypadModifier},
    {Qt::Key_Minus, {}},  {Qt::Key_Minus, Qt::KeypadModifier},
    {Qt::Key_0, {}},      {Qt::Key_P, {}},
    {Qt::Key_PageUp, {}}, {Qt::Key_PageDown, {}}};
static_assert(std::size(kQtKeys) == static_cast<std::size_t>(Key::PageDown) + 1);

class QtHands : public desktop::Hands {
public:
    qtui::DialogHost* Window() { return m_ws.WindowOf(*m_dlg); }
    template <class W = QWidget>
    W* Widget(int id) {
        const DialogTemplate* tpl = m_dlg->GetTemplate();
        for (int i = 0; Window() && i < Window()->ControlCount(); ++i)
            if (tpl->controls[i].id == id) return dynamic_cast<W*>(Window()->ControlWidget(i));
        return nullptr;
    }
    void UseQtsChooser() { m_ws.SetFileChooser(nullptr); }

    void RunModal(CDialog& dlg, std::function<void()> script) override {
        m_dlg = &dlg;
        // Once the window is active: keys reach shortcuts and focus only there.
        QTimer::singleShot(0, qApp, [&dlg, script] {
            if (QWidget* w = QApplication::activeModalWidget();
                w && !QTest::qWaitForWindowActive(w))
                qWarning("the dialog never became active");
            script();
            if (!dlg.IsEnded()) dlg.EndDialog(-1);
        });
        dlg.DoModal();
    }
    void ChooseFile(std::optional<std::string> path) override {
        m_ws.SetFileChooser([path](const FileChooserRequest&) { return path; });
    }
    void Click(int id) override { QTest::mouseClick(Widget<QPushButton>(id), Qt::LeftButton); }
    void ChooseRow(int id, int row) override {
        if (auto* list = Widget<QListWidget>(id)) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(row)).center());
            return;
        }
        auto* combo = Widget<QComboBox>(id);
        combo->setFocus();
        for (int n = 0; n < combo->count() && combo->currentIndex() != row; ++n)
            QTest::keyClick(combo, combo->currentIndex() < row ? Qt::Key_Down : Qt::Key_Up);
    }
    void Type(int id, const std::string& text) override {
        auto* combo = Widget<QComboBox>(id);
        combo->setFocus();
        combo->lineEdit()->selectAll();
        for (char c : text)
            c == '\b' ? QTest::keyClick(combo, Qt::Key_Backspace)
                      : QTest::keyClicks(combo, QString(QChar(c)));
    }
    void SetFocus(int id) override { Widget(id)->setFocus(); }
    void Press(Key key) override { Keys(key, {}); }
    void Ctrl(Key key) override { Keys(key, Qt::ControlModifier); }
    // Sent straight to the preview, at logical positions: on a scaled offscreen screen the
    // dialog lies partly off the screen, where the test's cursor cannot go.
    void Mouse(int x, int y, bool leftButton) override {
        const QPointF at = Logical(x, y);
        QMouseEvent move(QEvent::MouseMove, at, Widget(IDC_PREVIEW)->mapToGlobal(at), Qt::NoButton,
                         leftButton ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Widget(IDC_PREVIEW), &move);
    }
    void Wheel(int x, int y, int delta, bool ctrl) override {
        const QPointF at = Logical(x, y);
        QWheelEvent wheel(at, Widget(IDC_PREVIEW)->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, ctrl ? Qt::ControlModifier : Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Widget(IDC_PREVIEW), &wheel);
    }
    void MouseLeaves() override {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(Widget(IDC_PREVIEW), &leave);
    }
    void Drop(int id, const std::string& path) override {
        QWidget* target = id ? Widget(id) : Window();
        if (auto* combo = qobject_cast<QComboBox*>(target)) target = combo->lineEdit();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        data.setText(QString::fromStdString(path));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        QCoreApplication::sendPostedEvents();  // the file opens once the drop has ended
    }
    void ResizeWindow(int cx, int cy) override { Window()->resize(cx, cy); }
    void CloseBox() override { Window()->close(); }
    void AltF4() override {
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window()));
        QTest::keyClick(Window(), Qt::Key_F4, Qt::AltModifier);
    }
    Strings WindowMenu(const std::string& choose) override {
        Strings entries;
        ChooseFromNextMenu(choose, &entries);
        QTest::keyClick(Window(), Qt::Key_Space, Qt::AltModifier);
        return entries;
    }
    // Clicks the entry of the next popup menu with this text once it opens.
    static void ChooseFromNextMenu(const std::string& choose, Strings* entries) {
        Poll([choose, entries] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return false;
            QAction* chosen = nullptr;
            for (QAction* a : menu->actions()) {
                entries->push_back(
                    a->isSeparator() ? "-" : Str(a->text()) + (a->isEnabled() ? "" : " (off)"));
                if (entries->back() == choose) chosen = a;
            }
            if (chosen)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
            else
                menu->close();
            return true;
        });
    }
    void ReadNextDialog(Strings* texts) override {
        Poll([this, texts] {
            auto* box = dynamic_cast<qtui::DialogHost*>(QApplication::activeModalWidget());
            if (!box || box == Window() || !box->isVisible()) return false;
            texts->push_back(Str(box->windowTitle()));
            for (int i = 0; i < box->ControlCount(); ++i) {
                auto* label = qobject_cast<QLabel*>(box->ControlWidget(i));
                auto* button = qobject_cast<QAbstractButton*>(box->ControlWidget(i));
                texts->push_back(label && !label->pixmap().isNull() ? "icon"
                                 : label                            ? Str(label->text())
                                                                    : Str(button->text()));
            }
            QTest::keyClick(box, Qt::Key_Escape);
            return true;
        });
    }
    void AnswerBoxes(const std::vector<int>& buttons) override {
        for (int b : buttons) m_answers.push_back(b);
        Poll([this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || m_answers.empty()) return false;
            const auto has = [box](QMessageBox::StandardButton b) {
                return box->standardButtons().testFlag(b);
            };
            const int answer =
                NextAnswer(std::string(box->parentWidget() == Window() ? "dialog" : "other") +
                           " / " + Str(box->text()) + " / " + Str(box->windowTitle()) + " / " +
                           (box->icon() == QMessageBox::Warning       ? "warning"
                            : box->icon() == QMessageBox::Information ? "information"
                                                                      : "other") +
                           " / " +
                           (has(QMessageBox::Ok)    ? "ok"
                            : has(QMessageBox::Yes) ? "yes no"
                                                    : "?"));
            QAbstractButton* target = box->button(answer == IDYES  ? QMessageBox::Yes
                                                  : answer == IDNO ? QMessageBox::No
                                                                   : QMessageBox::Ok);
            target ? QTest::mouseClick(target, Qt::LeftButton) : box->reject();
            return true;
        });
    }
    std::string Title() override { return Str(Window()->windowTitle()); }
    bool HasIcon() override { return !Window()->windowIcon().isNull(); }
    bool Visible() override { return Window()->isVisible(); }
    bool Enabled(int id) override { return Widget(id)->isEnabled(); }
    bool Focused(int id) override {
        return QTest::qWaitFor([&] { return QApplication::focusWidget() == Widget(id); });
    }
    // Its focus shows when it looks otherwise without it.
    bool ShowsFocus(int id) override {
        if (!Focused(id)) return false;
        const QImage focused = Widget(id)->grab().toImage();
        Widget(id)->clearFocus();
        const QImage plain = Widget(id)->grab().toImage();
        Widget(id)->setFocus();
        return focused != plain;
    }
    std::string Text(int id) override {
        if (auto* combo = Widget<QComboBox>(id)) return Str(combo->currentText());
        if (auto* label = Widget<QLabel>(id)) return Str(label->text());
        return Str(Widget<QLineEdit>(id)->text());
    }
    Strings Rows(int id) override {
        Strings rows;
        if (auto* list = Widget<QListWidget>(id))
            for (int i = 0; i < list->count(); ++i) rows.push_back(Str(list->item(i)->text()));
        if (auto* combo = Widget<QComboBox>(id))
            for (int i = 0; i < combo->count(); ++i) rows.push_back(Str(combo->itemText(i)));
        return rows;
    }
    int Selection(int id) override {
        if (auto* combo = Widget<QComboBox>(id)) return combo->currentIndex();
        const QList<QListWidgetItem*> chosen = Widget<QListWidget>(id)->selectedItems();
        return chosen.empty() ? -1 : Widget<QListWidget>(id)->row(chosen[0]);
    }
    desktop::Shot Preview() override {
        const QImage image = Widget(IDC_PREVIEW)->grab().toImage();  // screen pixels
        desktop::Shot shot{image.width(), image.height(), {}};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                shot.pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
        return shot;
    }
    std::uint32_t FaceColor() override {
        return Window()->palette().color(QPalette::Button).rgb() & 0xFFFFFF;
    }
    std::pair<int, int> WindowSize() override { return {Window()->width(), Window()->height()}; }
    desktop::Place PlaceOf(int id) override {
        const QRect r = Widget(id)->geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    bool CanMaximize() override { return Window()->windowFlags() & Qt::WindowMaximizeButtonHint; }

private:
    // To the focus, once the window is active again (after a message box, say).
    void Keys(Key key, Qt::KeyboardModifiers held) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window()));
        const auto [code, mods] = kQtKeys[static_cast<int>(key)];
        QTest::keyClick(QApplication::focusWidget(), code, mods | held);
    }
    QPointF Logical(int x, int y) {
        return QPointF(x, y) / Widget(IDC_PREVIEW)->devicePixelRatioF();
    }

    qtui::QtWindowSystem m_ws;
    CDialog* m_dlg = nullptr;
};

std::unique_ptr<desktop::Hands> MakeHands() {
    return std::make_unique<QtHands>();
}
using desktop::DesktopSession;
using desktop::DesktopView;
INSTANTIATE_TEST_SUITE_P(Qt, DesktopSession, testing::Values(&MakeHands));
INSTANTIATE_TEST_SUITE_P(Qt, DesktopView, testing::Values(&MakeHands));

// What only Qt has, in the sessions' fixture: its hands seen as Qt's.
class QtDialog : public DesktopSession {
protected:
    QtHands& Q() { return static_cast<QtHands&>(*hands); }
};
INSTANTIATE_TEST_SUITE_P(Qt, QtDialog, testing::Values(&MakeHands));

// Qt's own chooser, answered once and then cancelled: its filters, mode and suffix, the
// folder of the file open now, and the focus on the sprites once it has gone.
TEST_P(QtDialog, BrowseOpensQtsChooser) {
    Q().UseQtsChooser();
    hands->RunModal(*dlg, [&] {
        QString chooser, folder;
        for (bool accept : {true, false}) {
            Poll([&, accept] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog) return false;
                chooser = dialog->nameFilters().join(";") + " " +
                          QString::number(dialog->fileMode()) + " " + dialog->defaultSuffix();
                folder = dialog->directory().absolutePath();
                dialog->selectFile(QString::fromStdString(path));
                accept ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
                return true;
            });
            hands->Click(IDC_BROWSE);
            EXPECT_EQ(hands->Enabled(IDC_SPRITES), accept);
            EXPECT_TRUE(!accept || hands->Focused(IDC_SPRITES));
        }
        EXPECT_EQ(chooser, "IFF files (*.iff);All files (*.*) 1 iff");  // ExistingFile
        EXPECT_EQ(folder, QFileInfo(QString::fromStdString(path)).absolutePath());
    });
}

// Qt delivers moves outside the preview during a drag (dropped) and every button's clicks;
// the model's repaints reach the screen. The window menu holds Close as well, and a
// right-click on the dialog's face opens it.
TEST_P(QtDialog, OnlyTheLeftButtonChoosesAndDragsRepaintsReachTheScreenAndTheFaceHasAMenu) {
    hands->RunModal(*dlg, [&] {
        hands->Click(IDC_BROWSE);
        QWidget* preview = Q().Widget(IDC_PREVIEW);
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
        const auto [x, y] = Origin();
        hands->Mouse(20, 20, false);
        hands->Mouse(-5, 19, true);  // outside: another window's move
        hands->Mouse(22, 19, true);
        hands->Mouse(22, 19, false);
        EXPECT_EQ(Origin(), std::make_pair(x + 2, y - 1));
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > paints; }));

        auto* list = Q().Widget<QListWidget>(IDC_SPRITES);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                          list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(hands->Rows(IDC_FRAME).size(), 2u);

        Strings entries;
        QtHands::ChooseFromNextMenu("&Close\tAlt+F4", &entries);
        const QPoint face(3, Q().Window()->height() - 3);
        QContextMenuEvent click(QContextMenuEvent::Mouse, face, Q().Window()->mapToGlobal(face));
        QApplication::sendEvent(Q().Window(), &click);
        EXPECT_EQ(entries, (Strings{"&Close\tAlt+F4", "-", "&Undo\tCtrl+Z (off)",
                                    "&Redo\tCtrl+Y (off)", "-", "&About Palvane2..."}));
        EXPECT_EQ(dlg->GetModalResult(), IDOK);
    });
}

TEST(QtProgram, HelpVersionAndUsageErrors) {
    QProcess program;
    const auto run = [&program](const QStringList& args) {
        program.start(PALVANE2_PROGRAM, args);
        ASSERT_TRUE(program.waitForFinished(20000));
    };
    run({"--help"});
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(program.readAllStandardOutput().startsWith("Usage: palvane2 [FILE]\n"));
    run({"--version"});
    EXPECT_EQ(program.readAllStandardOutput(), QByteArray("palvane2 1.0\n"));
    run({"a.iff", "b.iff"});
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("Usage: palvane2 [FILE]"));
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
