#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

// What an open or save dialog is asked to show, already in the form Qt's file dialog takes.
struct FileChoiceRequest
{
    enum class Kind
    {
        Open,
        Save
    };

    Kind kind = Kind::Open;
    QWidget* owner = nullptr;
    QStringList nameFilters; // "Text files (*.txt *.log)"
    int filterIndex = 0;     // 0-based into nameFilters
    QString fileName;        // pre-filled name, possibly a full path
    QString folder;          // where the dialog opens; empty for the platform's choice
    QString caption;         // empty for the platform's own caption
    QString defaultSuffix;   // appended to a name typed without one
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::Options options;
};

// What the user chose: the full path and the 0-based filter that was selected.
struct FileChoice
{
    QString path;
    int filterIndex = 0;
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
