#include "filedialog/clsOpenSave.h"

#include "base/AppError.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// The classic dialog trims blanks only; tabs and NULs stay.
QString trimBlanks(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("^ +| +$"));
    return QString(text).remove(blanks);
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
