#include "ui/qt/list_peers.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/qt/text.h"

namespace qtui {

namespace {

class ListBoxPeer : public ControlPeer {
public:
    ListBoxPeer(const DialogControl& control, QWidget* parent)
        : ControlPeer(new QListWidget(parent)), m_list(static_cast<QListWidget*>(m_widget)) {
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setUniformItemSizes(true);
        m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_list->setVerticalScrollBarPolicy(control.style & WS_VSCROLL ? Qt::ScrollBarAsNeeded
                                                                      : Qt::ScrollBarAlwaysOff);
        if (!(control.style & WS_BORDER) && !(control.exStyle & WS_EX_CLIENTEDGE))
            m_list->setFrameShape(QFrame::NoFrame);
        m_list->viewport()->installEventFilter(this);
        // A user's new selection; the program's own come with the signals blocked.
        connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
            const QList<QListWidgetItem*> selected = m_list->selectedItems();
            CListBox* model = Model();
            if (model && selected.size() == 1) {
                const int row = m_list->row(selected.front());
                if (row != model->GetCurSel()) model->UserSelect(row);
            }
            SyncSelection();
        });
        // A click on the entry already selected changes nothing in the view, yet it is a
        // choice all the same.
        connect(m_list, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
            CListBox* model = Model();
            if (model && index.isValid() && index.row() == m_rowAtPress) {
                model->UserSelect(index.row());
                SyncSelection();
            }
        });
    }

    void EntriesReset() override {
        const QSignalBlocker block(m_list);
        m_list->clear();
    }
    void EntryAdded(int index, const std::string& text) override {
        const QSignalBlocker block(m_list);
        m_list->insertItem(index, ToQString(text));
    }
    void SelectionChanged(int index) override {
        (void)index;
        SyncSelection();
    }

protected:
    void Mirror() override {
        ControlPeer::Mirror();
        {
            const QSignalBlocker block(m_list);
            m_list->clear();
            for (const ListEntry& entry : Model()->GetEntries())
                m_list->addItem(ToQString(entry.text));
        }
        SyncSelection();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_list->viewport()) return false;
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonRelease &&
            event->type() != QEvent::MouseButtonDblClick)
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return true;  // only the left button selects
        CListBox* model = Model();
        if (event->type() == QEvent::MouseButtonPress) {
            m_rowAtPress = model ? model->GetCurSel() : -1;
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            // The second click of a double click is a click like the first.
            const QModelIndex index = m_list->indexAt(mouse->position().toPoint());
            if (model && index.isValid()) {
                model->UserSelect(index.row());
                SyncSelection();
            }
            return true;
        }
        return false;
    }

private:
    CListBox* Model() const { return dynamic_cast<CListBox*>(m_model); }

    void SyncSelection() {
        CListBox* model = Model();
        const int row = model ? model->GetCurSel() : -1;
        const QSignalBlocker block(m_list);
        if (row >= 0 && row < m_list->count()) {
            m_list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            m_list->scrollToItem(m_list->item(row));
        } else {
            m_list->clearSelection();
        }
    }

    QListWidget* m_list;
    int m_rowAtPress = -1;
};

class ComboBoxPeer : public ControlPeer {
public:
    ComboBoxPeer(const DialogControl& control, QWidget* parent)
        : ControlPeer(new QComboBox(parent)), m_combo(static_cast<QComboBox*>(m_widget)) {
        m_combo->setEditable((control.style & CBS_TYPEMASK) != CBS_DROPDOWNLIST);
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        // A file may hold tens of thousands of palettes: the list must not measure every
        // entry when it fills or drops down.
        m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        if (auto* view = qobject_cast<QListView*>(m_combo->view())) view->setUniformItemSizes(true);
        if (QLineEdit* edit = m_combo->lineEdit()) {
            // Qt's inline completion would rewrite what the user types, and its own
            // handling of Enter and of leaving the field would pick a matching entry.
            m_combo->setCompleter(nullptr);
            disconnect(edit, &QLineEdit::returnPressed, m_combo, nullptr);
            disconnect(edit, &QLineEdit::editingFinished, m_combo, nullptr);
            m_combo->installEventFilter(this);
            connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
                if (CComboBox* model = Model()) model->UserEditText(ToStdString(text));
            });
        }
        connect(m_combo, qOverload<int>(&QComboBox::activated), this, [this](int index) {
            if (CComboBox* model = Model()) model->UserSelect(index);
            SyncSelection();
        });
    }

    // The template's height holds the dropped-down list too; the field keeps its own.
    void SetGeometry(const QRect& rect) override {
        const int fieldHeight = m_combo->sizeHint().height();
        m_combo->setGeometry(rect.x(), rect.y(), rect.width(), fieldHeight);
        const int itemHeight = std::max(1, m_combo->fontMetrics().height());
        m_combo->setMaxVisibleItems(std::max(1, (rect.height() - fieldHeight) / itemHeight));
    }

    void EntriesReset() override {
        {
            const QSignalBlocker block(m_combo);
            m_combo->clear();
        }
        SyncSelection();
    }
    void EntryAdded(int index, const std::string& text) override {
        {
            const QSignalBlocker block(m_combo);
            m_combo->insertItem(index, ToQString(text));
        }
        SyncSelection();  // Qt selects the first entry added to an empty list
    }
    void SelectionChanged(int index) override {
        (void)index;
        SyncSelection();
    }
    void TextChanged(const std::string& text) override {
        (void)text;
        SyncSelection();
    }

protected:
    void Mirror() override {
        ControlPeer::Mirror();
        {
            const QSignalBlocker block(m_combo);
            m_combo->clear();
            for (const ListEntry& entry : Model()->GetEntries())
                m_combo->addItem(ToQString(entry.text));
        }
        SyncSelection();
    }

    // Enter in the field is nobody's business: it neither picks nor reaches the dialog.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_combo && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
        }
        return false;
    }

private:
    CComboBox* Model() const { return dynamic_cast<CComboBox*>(m_model); }

    // Selection and edit text as the model holds them.
    void SyncSelection() {
        CComboBox* model = Model();
        if (!model) return;
        const QSignalBlocker block(m_combo);
        const int index = model->GetCurSel();
        if (m_combo->currentIndex() != index)
            m_combo->setCurrentIndex(index >= 0 && index < m_combo->count() ? index : -1);
        if (QLineEdit* edit = m_combo->lineEdit()) {
            const QString text = ToQString(model->GetWindowText());
            if (edit->text() != text) edit->setText(text);
        }
    }

    QComboBox* m_combo;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeListBoxPeer(const DialogControl& control, QWidget* parent) {
    return std::make_unique<ListBoxPeer>(control, parent);
}

std::unique_ptr<ControlPeer> MakeComboBoxPeer(const DialogControl& control, QWidget* parent) {
    return std::make_unique<ComboBoxPeer>(control, parent);
}

}  // namespace qtui
