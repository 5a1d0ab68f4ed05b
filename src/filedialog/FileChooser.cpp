#include "filedialog/FileChooser.h"

namespace {

FileChooser::Function& replacement()
{
    static FileChooser::Function function;
    return function;
}

} // namespace

std::optional<FileChoice> FileChooser::choose(const FileChoiceRequest& request)
{
    if (replacement())
        return replacement()(request);
    return showDialog(request);
}

void FileChooser::setFunction(Function function)
{
    replacement() = std::move(function);
}

std::optional<FileChoice> FileChooser::showDialog(const FileChoiceRequest& request)
{
    // A desktop that offers its own dialog gets it; Qt falls back to its own otherwise.
    QFileDialog dialog(request.owner, request.caption, request.folder);
    dialog.setAcceptMode(request.kind == FileChoiceRequest::Kind::Save ? QFileDialog::AcceptSave
                                                                       : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMode);
    dialog.setOptions(request.options);
    if (!request.nameFilters.isEmpty()) {
        dialog.setNameFilters(request.nameFilters);
        const int index = qBound(0, request.filterIndex, int(request.nameFilters.size()) - 1);
        dialog.selectNameFilter(request.nameFilters.at(index));
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    FileChoice choice;
    choice.path = files.first();
    choice.filterIndex = qMax(0, int(request.nameFilters.indexOf(dialog.selectedNameFilter())));
    return choice;
}
