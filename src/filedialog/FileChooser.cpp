#include "filedialog/FileChooser.h"

namespace {

FileChooser::Function replacement;

} // namespace

std::optional<FileChoice> FileChooser::choose(const FileChoiceRequest& request)
{
    if (replacement)
        return replacement(request);
    return showDialog(request);
}

void FileChooser::setFunction(Function function)
{
    replacement = std::move(function);
}

std::optional<FileChoice> FileChooser::showDialog(const FileChoiceRequest& request)
{
    // A desktop that offers its own dialog gets it; Qt falls back to its own otherwise.
    QFileDialog dialog(request.owner, request.caption, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMode);
    dialog.setOptions(request.options);
    dialog.setNameFilter(QStringLiteral("All Files (*)"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return FileChoice{files.first()};
}
