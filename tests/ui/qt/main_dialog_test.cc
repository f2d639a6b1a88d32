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
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/control_ids.h"
#include "desktop/sessions.h"
#include "qt_steps.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/qt_window_system.h"

namespace {

using desktop::Key;
using qtsteps::Poll;
using Strings = std::vector<std::string>;

std::string Str(const QString& s) {
    return s.toStdString();
}

class QtHands : public desktop::Hands {
public:
    qtui::DialogHost* Window() { return m_ws.WindowOf(*m_dlg); }
    template <class W = QWidget>
    W* Widget(int id) {
        return qtsteps::Widget<W>(m_ws, *m_dlg, id);
    }
    void UseQtsChooser() { m_ws.SetFileChooser(nullptr); }

    void RunModal(CDialog& dlg, std::function<void()> script) override {
        m_dlg = &dlg;
        qtsteps::RunModal(dlg, script);
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
    void Press(Key key) override {
        QTest::keyClick(QApplication::focusWidget(),
                        key == Key::Escape ? Qt::Key_Escape : Qt::Key_Return);
    }
    void Mouse(int x, int y, bool leftButton) override {
        QWidget* preview = Widget(IDC_PREVIEW);
        if (leftButton != m_held)
            leftButton ? QTest::mousePress(preview, Qt::LeftButton, {}, m_at)
                       : QTest::mouseRelease(preview, Qt::LeftButton, {}, m_at);
        m_held = leftButton;
        m_at = QPoint(x, y);
        QTest::mouseMove(preview, m_at);
    }
    void ResizePreview(int cx, int cy) override { Widget(IDC_PREVIEW)->resize(cx, cy); }
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
                entries->push_back(a->isSeparator() ? "-" : Str(a->text()));
                if (entries->back() == choose) chosen = a;
            }
            if (chosen)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
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
            m_seen.push_back(std::string(box->parentWidget() == Window() ? "dialog" : "other") +
                             " / " + Str(box->text()) + " / " + Str(box->windowTitle()) + " / " +
                             (box->icon() == QMessageBox::Warning       ? "warning"
                              : box->icon() == QMessageBox::Information ? "information"
                                                                        : "other") +
                             " / " +
                             (has(QMessageBox::Ok)    ? "ok"
                              : has(QMessageBox::Yes) ? "yes no"
                                                      : "?"));
            const int answer = m_answers.front();
            m_answers.erase(m_answers.begin());
            QAbstractButton* target = box->button(answer == IDYES  ? QMessageBox::Yes
                                                  : answer == IDNO ? QMessageBox::No
                                                                   : QMessageBox::Ok);
            target ? QTest::mouseClick(target, Qt::LeftButton) : box->reject();
            return true;
        });
    }
    Strings ShownBoxes() override {
        EXPECT_TRUE(m_answers.empty()) << "boxes that never came";
        return std::exchange(m_seen, {});
    }

    std::string Title() override { return Str(Window()->windowTitle()); }
    bool HasIcon() override { return !Window()->windowIcon().isNull(); }
    bool Visible() override { return Window()->isVisible(); }
    bool Enabled(int id) override { return Widget(id)->isEnabled(); }
    bool Focused(int id) override {
        return QTest::qWaitFor([&] { return QApplication::focusWidget() == Widget(id); });
    }
    std::string Text(int id) override {
        if (auto* combo = Widget<QComboBox>(id)) return Str(combo->currentText());
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
    std::uint32_t PreviewPixel(int x, int y) override {
        return Widget(IDC_PREVIEW)->grab().toImage().pixel(x, y) & 0xFFFFFF;
    }
    std::uint32_t FaceColor() override {
        return Window()->palette().color(QPalette::Button).rgb() & 0xFFFFFF;
    }

private:
    qtui::QtWindowSystem m_ws;
    CDialog* m_dlg = nullptr;
    bool m_held = false;
    QPoint m_at;
    std::vector<int> m_answers;
    Strings m_seen;
};

using desktop::DesktopSession;
INSTANTIATE_TEST_SUITE_P(Qt, DesktopSession,
                         testing::Values(+[]() -> std::unique_ptr<desktop::Hands> {
                             return std::make_unique<QtHands>();
                         }));

class QtDialog : public testing::Test {
protected:
    QtHands hands;
    CPatchDlg dlg;
    std::string path = desktop::WriteSessionFile();
    QPoint Origin() const { return {dlg.m_preview.m_nOriginX, dlg.m_preview.m_nOriginY}; }
};

// Qt's own chooser, answered once and then cancelled: its filters, mode and suffix.
TEST_F(QtDialog, BrowseOpensQtsChooser) {
    hands.UseQtsChooser();
    hands.RunModal(dlg, [&] {
        QString chooser;
        for (bool accept : {true, false}) {
            Poll([&, accept] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog) return false;
                chooser = dialog->nameFilters().join(";") + " " +
                          QString::number(dialog->fileMode()) + " " + dialog->defaultSuffix();
                dialog->selectFile(QString::fromStdString(path));
                accept ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
                return true;
            });
            hands.Click(IDC_BROWSE);
            EXPECT_EQ(hands.Enabled(IDC_SPRITES), accept);
        }
        EXPECT_EQ(chooser, "IFF files (*.iff);All files (*.*) 1 iff");  // ExistingFile
    });
}

// Qt delivers moves outside the preview during a drag (dropped) and every button's clicks;
// the model's repaints reach the screen.
TEST_F(QtDialog, OnlyTheLeftButtonChoosesAndDragsAndRepaintsReachTheScreen) {
    hands.ChooseFile(path);
    hands.RunModal(dlg, [&] {
        hands.Click(IDC_BROWSE);
        QWidget* preview = hands.Widget(IDC_PREVIEW);
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
        hands.Mouse(20, 20, false);
        hands.Mouse(-5, 19, true);  // outside: another window's move
        hands.Mouse(22, 19, true);
        hands.Mouse(22, 19, false);
        EXPECT_EQ(Origin(), origin + QPoint(2, -1));
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > paints; }));

        auto* list = hands.Widget<QListWidget>(IDC_SPRITES);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                          list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(hands.Rows(IDC_FRAME).size(), 2u);
    });
}

// Run on its own with QT_SCALE_FACTOR=2 (ctest does): sprites still show a screen pixel
// for each of theirs, and a drag moves them by what the cursor moved on the screen.
TEST_F(QtDialog, PreviewOnAScaledScreen) {
    if (qApp->devicePixelRatio() < 2)
        GTEST_SKIP() << "needs a screen scaled to 200% (QT_SCALE_FACTOR=2)";
    hands.ChooseFile(path);
    hands.RunModal(dlg, [&] {
        hands.Click(IDC_BROWSE);
        auto* preview = hands.Widget(IDC_PREVIEW);
        const QImage shown = preview->grab().toImage();
        EXPECT_EQ(shown.size(), preview->size() * 2);
        int red = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) red += shown.pixelColor(x, y) == Qt::red;
        EXPECT_EQ(red, 10 * 8);  // the 10 x 8 frame
        hands.Mouse(20, 20, false);
        hands.Mouse(21, 20, true);
        const QPoint origin = Origin();
        hands.Mouse(24, 19, true);
        EXPECT_EQ(Origin(), origin + QPoint(6, -2));
        hands.Mouse(24, 19, false);
    });
}

// The window menu holds Close as well, and a right-click on the dialog's face opens it.
TEST_F(QtDialog, TheWindowMenuOnTheDialogsFace) {
    hands.RunModal(dlg, [&] {
        Strings entries;
        QtHands::ChooseFromNextMenu("&Close\tAlt+F4", &entries);
        const QPoint face(3, hands.Window()->height() - 3);
        QContextMenuEvent click(QContextMenuEvent::Mouse, face, hands.Window()->mapToGlobal(face));
        QApplication::sendEvent(hands.Window(), &click);
        EXPECT_EQ(entries, (Strings{"&Close\tAlt+F4", "-", "&About Palvane2..."}));
        EXPECT_EQ(dlg.GetModalResult(), IDOK);
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
