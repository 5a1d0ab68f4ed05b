#include "filedialog/clsOpenSave.h"

#include "base/AppError.h"

#include <QRegularExpression>

namespace {

// The classic dialog trims blanks only; tabs and NULs stay.
QString trimBlanks(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("^ +| +$"));
    return QString(text).remove(blanks);
}

} // namespace

void clsOpenSave::ShowOpen()
{
    // A cancel and a name of blanks alone are the same to the caller.
    const QString chosen = trimBlanks(FileChooser::choose({m_hwnd, m_initDir, m_dialogTitle}).value_or(QString()));
    if (chosen.isEmpty()) {
        if (m_cancelError)
            throw AppError(AppError::CancelSelected, QStringLiteral("Run-time error"),
                           QStringLiteral("Cancel was selected"));
        return;
    }
    m_fileName = chosen;
}
