#include "ui/qt/file_chooser.h"

#include <QFile>
#include <QStringList>

#include "ui/file_dialog.h"
#include "ui/qt/text.h"

namespace qtui {

namespace {

// "IFF files (*.iff)" already names its patterns; a bare description gets them added.
QString FilterText(const FileFilter& filter) {
    const QString description = ToQString(filter.description);
    QString patterns = ToQString(filter.pattern);
    patterns.replace(u';', u' ');
    if (description.endsWith(u')') && description.contains(u'(')) return description;
    return QStringLiteral("%1 (%2)").arg(description, patterns);
}

}  // namespace

void ConfigureFileDialog(QFileDialog& dialog, const FileChooserRequest& request) {
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open && (request.flags & OFN_FILEMUSTEXIST)
                           ? QFileDialog::ExistingFile
                           : QFileDialog::AnyFile);
    QStringList filters;
    for (const FileFilter& filter : request.filters) filters << FilterText(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    QString suffix = ToQString(request.defaultExtension);
    if (suffix.startsWith(u'.')) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (!request.initialFolder.empty())
        dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(request.initialFolder)));
    if (!request.initialName.empty()) dialog.selectFile(ToQString(request.initialName));
}

std::optional<std::string> RunFileDialog(QWidget* parent, const FileChooserRequest& request) {
    QFileDialog dialog(parent);
    ConfigureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    const QByteArray path = QFile::encodeName(chosen.front());
    // Qt's chooser has added the default extension to a typed name already.
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

}  // namespace qtui
