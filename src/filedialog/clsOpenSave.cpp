#include "filedialog/clsOpenSave.h"

#include "base/AppError.h"

#include <QDir>

namespace {

// The classic dialog trims blanks only; tabs and NULs stay.
QString trimBlanks(const QString& text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == u' ')
        ++from;
    while (to > from && text.at(to - 1) == u' ')
        --to;
    return text.mid(from, to - from);
}

} // namespace

clsOpenSave::clsOpenSave()
{
    // The home folder is where this platform's dialogs start; a fixed drive root means nothing here.
    m_initDir = QDir::homePath();
}

void clsOpenSave::ShowOpen()
{
    FileChoiceRequest request;
    request.owner = m_hwnd;
    request.folder = m_initDir;
    request.caption = m_dialogTitle;
    if (m_flags & OFN_FILEMUSTEXIST)
        request.fileMode = QFileDialog::ExistingFile;
    if (m_flags & OFN_NODEREFERENCELINKS)
        request.options |= QFileDialog::DontResolveSymlinks;
    const std::optional<FileChoice> choice = FileChooser::choose(request);
    if (!choice || trimBlanks(choice->path).isEmpty()) {
        if (m_cancelError)
            throw AppError(AppError::CancelSelected, QStringLiteral("Run-time error"),
                           QStringLiteral("Cancel was selected"));
        return;
    }
    m_fileName = trimBlanks(choice->path);
}
