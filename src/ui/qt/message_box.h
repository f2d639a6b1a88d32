// Message boxes: the caption, text, buttons and icon a message names.
#pragma once

#include <QMessageBox>
#include <memory>
#include <string>

#include "base/types.h"

namespace qtui {

// A box owned by parent (NULL: none), not yet shown; type holds the MB_* buttons and icon.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const std::string& text,
                                            const std::string& caption, UINT type);
// IDOK, IDCANCEL, IDYES or IDNO for the button the box ended with (NULL: closed).
int MessageBoxResult(const QMessageBox& box, QAbstractButton* clicked, UINT type);

}  // namespace qtui
