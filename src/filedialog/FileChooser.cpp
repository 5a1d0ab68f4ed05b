#include "filedialog/FileChooser.h"

#include <QFileDialog>

std::optional<QString> FileChooser::choose(const FileChoiceRequest& request)
{
    if (s_replacement)
        return s_replacement(request);
    return showDialog(request);
}

std::optional<QString> FileChooser::showDialog(const FileChoiceRequest& request)
{
    // A desktop that offers its own dialog gets it; Qt falls back to its own otherwise. Any file
    // name is taken, as the classic dialog took it without a must-exist flag.
    QFileDialog dialog(request.owner, request.caption, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("All Files (*)"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}
