#include "ui/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace qtui {

QFont DialogFont(const DialogTemplate& tpl) {
    const QString family = QString::fromStdString(tpl.fontName);
    QFont font;
    if (!family.isEmpty() && QFontDatabase::hasFamily(family)) {
        font = QFont(family);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPointSize(tpl.fontSize > 0 ? tpl.fontSize : 8);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToRect(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
    const CRect pos = DialogUnitsToPixels(CRect(x, y, x, y), units.x, units.y);
    const CRect size = DialogUnitsToPixels(CRect(0, 0, cx, cy), units.x, units.y);
    return QRect(pos.left, pos.top, size.right, size.bottom);
}

}  // namespace qtui
