// The dialog font and the conversion of template dialog units to pixels.
#pragma once

#include <QFont>
#include <QRect>

#include "ui/dialog.h"

namespace qtui {

// Average character width and height of a dialog's font, in pixels.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// The template's font at its point size; the desktop's sans-serif font at that size
// when the named font is not installed.
QFont DialogFont(const DialogTemplate& tpl);

// Width: the 52 letters a-z and A-Z measured together, averaged and rounded to nearest;
// height: the font's height.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// Position and size each converted on their own (x * baseX / 4, y * baseY / 8, rounded),
// so a control's size does not depend on where it stands.
QRect DialogUnitsToRect(const DialogBaseUnits& units, int x, int y, int cx, int cy);

}  // namespace qtui
