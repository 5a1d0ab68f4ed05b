#pragma once

#include <QFileDialog>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// What an open dialog is asked to show, already in the form Qt's file dialog takes.
struct FileChoiceRequest
{
    QWidget* owner = nullptr;
    QString folder;  // where the dialog opens; empty for the platform's choice
    QString caption; // empty for the platform's own caption
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::Options options;
};

// What the user chose: the full path.
struct FileChoice
{
    QString path;
};

// Shows the file dialog. Tests put a function of their own in its place to play the user's
// choice or a cancel; no real dialog then opens.
class FileChooser
{
public:
    using Function = std::function<std::optional<FileChoice>(const FileChoiceRequest&)>;

    // nullopt when the user cancelled or the dialog could not be shown.
    static std::optional<FileChoice> choose(const FileChoiceRequest& request);

    // An empty function brings the real dialog back.
    static void setFunction(Function function);

private:
    static std::optional<FileChoice> showDialog(const FileChoiceRequest& request);
};
