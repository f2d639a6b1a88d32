#include "ui/qt/control_peers.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "raster/gdi.h"
#include "ui/qt/icons.h"
#include "ui/qt/surface_widget.h"
#include "ui/qt/text.h"

namespace qtui {

ControlPeer::ControlPeer(QWidget* widget) : m_widget(widget) {}

ControlPeer::~ControlPeer() {
    Detach();
}

void ControlPeer::Detach() {
    CWnd* model = m_model;
    m_model = nullptr;
    if (model && model->GetPeer() == this) model->SetPeer(nullptr);
}

void ControlPeer::Attached(CWnd* wnd) {
    m_model = wnd;
    if (wnd) Mirror();
}

void ControlPeer::EnabledChanged(bool enabled) {
    m_widget->setEnabled(enabled);
}

void ControlPeer::Mirror() {
    m_widget->setEnabled(m_model->IsWindowEnabled());
}

namespace {

constexpr DWORD kButtonTypeMask = 0x0F;
constexpr DWORD kStaticCenter = 0x01;
constexpr DWORD kStaticRight = 0x02;
constexpr DWORD kStaticSimple = 0x0B;

class ButtonPeer : public ControlPeer {
public:
    ButtonPeer(const DialogControl& control, QWidget* parent)
        : ControlPeer(new QPushButton(parent)), m_button(static_cast<QPushButton*>(m_widget)) {
        // Enter on a focused button reaches the dialog, which clicks it; a button never
        // becomes the default by taking the focus.
        m_button->setAutoDefault(false);
        m_button->setDefault(IsDefaultPushButton(control));
        connect(m_button, &QPushButton::clicked, this, [this] {
            if (auto* button = dynamic_cast<CButton*>(m_model)) button->UserClick();
        });
    }

    void TextChanged(const std::string& text) override {
        const QSignalBlocker block(m_button);
        m_button->setText(ToQString(text));
    }

protected:
    void Mirror() override {
        ControlPeer::Mirror();
        TextChanged(m_model->GetWindowText());
    }

private:
    QPushButton* m_button;
};

class EditPeer : public ControlPeer {
public:
    EditPeer(const DialogControl& control, QWidget* parent)
        : ControlPeer(new QLineEdit(parent)), m_edit(static_cast<QLineEdit*>(m_widget)) {
        m_edit->setFrame((control.style & WS_BORDER) || (control.exStyle & WS_EX_CLIENTEDGE));
        // The edit model takes no typing (the program only shows text in its edits), so
        // the field is read-only whatever the template says.
        m_edit->setReadOnly(true);
        QPalette palette = m_edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        m_edit->setPalette(palette);
    }

    void TextChanged(const std::string& text) override {
        const QSignalBlocker block(m_edit);
        m_edit->setText(ToQString(text));
        m_edit->setCursorPosition(0);  // a long path shows its beginning
    }

protected:
    void Mirror() override {
        ControlPeer::Mirror();
        TextChanged(m_model->GetWindowText());
    }

private:
    QLineEdit* m_edit;
};

class LabelPeer : public ControlPeer {
public:
    LabelPeer(const DialogControl& control, QWidget* parent)
        : ControlPeer(new QLabel(parent)),
          m_label(static_cast<QLabel*>(m_widget)),
          m_noPrefix(control.style & SS_NOPREFIX),
          m_clips((control.style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) {
        Qt::Alignment align = Qt::AlignLeft;
        if ((control.style & SS_TYPEMASK) == kStaticCenter) align = Qt::AlignHCenter;
        if ((control.style & SS_TYPEMASK) == kStaticRight) align = Qt::AlignRight;
        m_label->setAlignment(align | Qt::AlignTop);
        m_label->setTextFormat(Qt::PlainText);
        m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    // The template's one-line labels were measured in a narrower font than the desktop
    // may have: such a label grows to its text rather than wrap it out of sight.
    void SetGeometry(const QRect& rect) override {
        m_place = rect;
        Fit();
    }

    void TextChanged(const std::string& text) override {
        const QString shown = ToQString(text);
        m_label->setText(m_noPrefix ? shown : WithoutPrefixes(shown));
        Fit();
    }

protected:
    void Mirror() override {
        ControlPeer::Mirror();
        TextChanged(m_model->GetWindowText());
    }

private:
    void Fit() {
        const bool oneLine = m_place.height() < 2 * m_label->fontMetrics().height();
        m_label->setWordWrap(!oneLine);
        QRect place = m_place;
        if (oneLine && !m_clips)
            place.setWidth(std::max(m_place.width(), m_label->sizeHint().width()));
        m_label->setGeometry(place);
    }

    QLabel* m_label;
    bool m_noPrefix;
    bool m_clips;  // a label that cuts its text off at its edge, as its style says
    QRect m_place;
};

class FramePeer : public ControlPeer {
public:
    explicit FramePeer(QWidget* parent) : ControlPeer(new QFrame(parent)) {
        auto* frame = static_cast<QFrame*>(m_widget);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);  // etched
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
};

class IconPeer : public ControlPeer {
public:
    IconPeer(const DialogControl& control, QWidget* parent) : ControlPeer(new QLabel(parent)) {
        auto* label = static_cast<QLabel*>(m_widget);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        const int size = GetSystemMetrics(SM_CXICON);
        if (const IconImage* image = FindIconImage(LoadIconResource(control.imageId), size))
            label->setPixmap(QPixmap::fromImage(ToQImage(*image)));
    }

    // An icon static takes the icon's size, whatever the template says.
    void SetGeometry(const QRect& rect) override {
        const int size = GetSystemMetrics(SM_CXICON);
        m_widget->setGeometry(rect.x(), rect.y(), size, GetSystemMetrics(SM_CYICON));
    }
};

class SurfacePeer : public ControlPeer {
public:
    SurfacePeer(const DialogControl& control, QWidget* parent)
        : ControlPeer(new SurfaceWidget((control.style & SS_NOTIFY) != 0, parent)),
          m_surface(static_cast<SurfaceWidget*>(m_widget)) {}

    ~SurfacePeer() override { m_surface->SetModel(nullptr); }

    void Detach() override {
        m_surface->SetModel(nullptr);
        ControlPeer::Detach();
    }
    void Attached(CWnd* wnd) override {
        m_surface->SetModel(wnd);
        ControlPeer::Attached(wnd);
    }
    void Invalidated(bool erase) override {
        (void)erase;  // the model paints every pixel
        m_surface->update();
    }

private:
    SurfaceWidget* m_surface;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeStaticPeer(const DialogControl& control, QWidget* parent) {
    switch (control.style & SS_TYPEMASK) {
        case SS_LEFT:
        case kStaticCenter:
        case kStaticRight:
        case kStaticSimple:
        case SS_LEFTNOWORDWRAP:
            return std::make_unique<LabelPeer>(control, parent);
        case SS_ICON:
            return std::make_unique<IconPeer>(control, parent);
        case SS_ETCHEDFRAME:
            return std::make_unique<FramePeer>(parent);
        default:
            return std::make_unique<SurfacePeer>(control, parent);
    }
}

bool IsDefaultPushButton(const DialogControl& control) {
    return control.kind == ControlKind::PushButton &&
           (control.style & kButtonTypeMask) == BS_DEFPUSHBUTTON;
}

std::unique_ptr<ControlPeer> MakeButtonPeer(const DialogControl& control, QWidget* parent) {
    return std::make_unique<ButtonPeer>(control, parent);
}

std::unique_ptr<ControlPeer> MakeEditPeer(const DialogControl& control, QWidget* parent) {
    return std::make_unique<EditPeer>(control, parent);
}

}  // namespace qtui
