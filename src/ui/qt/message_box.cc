#include "ui/qt/message_box.h"

#include "ui/qt/text.h"
#include "ui/window.h"

namespace qtui {

namespace {

QMessageBox::Icon IconFor(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONASTERISK:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const std::string& text,
                                            const std::string& caption, UINT type) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(ToQString(caption));
    box->setText(ToQString(text));
    box->setTextFormat(Qt::PlainText);
    box->setIcon(IconFor(type));
    // The first button is the default one, as on the desktop the messages come from.
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box->setDefaultButton(QMessageBox::Ok);
            box->setEscapeButton(QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box->setDefaultButton(QMessageBox::Yes);
            break;
        case MB_YESNOCANCEL:
            box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box->setDefaultButton(QMessageBox::Yes);
            box->setEscapeButton(QMessageBox::Cancel);
            break;
        default:
            box->setStandardButtons(QMessageBox::Ok);
            box->setDefaultButton(QMessageBox::Ok);
            box->setEscapeButton(QMessageBox::Ok);
            break;
    }
    return box;
}

int MessageBoxResult(const QMessageBox& box, QAbstractButton* clicked, UINT type) {
    switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            break;
    }
    // Closed without a button: what Escape would have chosen.
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        default:
            return IDOK;
    }
}

}  // namespace qtui
