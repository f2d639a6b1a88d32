// The open-file chooser on Qt's file dialog.
#pragma once

#include <QFileDialog>
#include <optional>
#include <string>

#include "ui/window_system.h"

namespace qtui {

// Filters, initial name, default extension and mode as the request gives them.
void ConfigureFileDialog(QFileDialog& dialog, const FileChooserRequest& request);
// Runs a configured chooser owned by parent; the chosen path as the file system spells it.
std::optional<std::string> RunFileDialog(QWidget* parent, const FileChooserRequest& request);

}  // namespace qtui
