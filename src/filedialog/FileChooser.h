#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

// What an open dialog is asked to show.
struct FileChoiceRequest
{
    QWidget* owner = nullptr;
    QString folder;  // where the dialog opens; empty for the platform's choice
    QString caption; // empty for the platform's own caption
};

// Shows the file dialog. Tests put a function of their own in its place to play the user's
// choice or a cancel; no real dialog then opens.
class FileChooser
{
public:
    // The full path the user chose.
    using Function = std::function<std::optional<QString>(const FileChoiceRequest&)>;

    // nullopt when the user cancelled or the dialog could not be shown.
    static std::optional<QString> choose(const FileChoiceRequest& request);

    // An empty function brings the real dialog back.
    static void setFunction(Function function) { s_replacement = std::move(function); }

private:
    static std::optional<QString> showDialog(const FileChoiceRequest& request);

    static inline Function s_replacement;
};
