// The program's icon resources as Qt images.
#pragma once

#include <QIcon>
#include <QImage>

#include "ui/dialog.h"

namespace qtui {

// Masked pixels are transparent; an index outside the colour table is black.
QImage ToQImage(const IconImage& image);
// Every image of the icon, so the desktop can pick the size it needs.
QIcon ToQIcon(HICON icon);

}  // namespace qtui
