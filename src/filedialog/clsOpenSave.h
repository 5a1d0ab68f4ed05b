#pragma once

#include <QDir>
#include <QString>

#include "filedialog/FileChooser.h"

class QWidget;

// An open file dialog behind a set of properties: set what the dialog should show, call ShowOpen,
// then read the chosen file from FileName.
class clsOpenSave
{
public:
    // The owner window; nullptr for none.
    void setHwnd(QWidget* value) { m_hwnd = value; }
    void setInitDir(const QString& value) { m_initDir = value; }
    void setDialogTitle(const QString& value) { m_dialogTitle = value; }
    void setCancelError(bool value) { m_cancelError = value; }
    const QString& FileName() const { return m_fileName; }

    // Returns normally after a choice. A cancel changes nothing; with CancelError set it raises
    // AppError::CancelSelected.
    void ShowOpen();

private:
    QWidget* m_hwnd = nullptr;
    // The home folder is where this platform's dialogs start; a fixed drive root means nothing here.
    QString m_initDir = QDir::homePath();
    QString m_fileName;
    QString m_dialogTitle;
    bool m_cancelError = false;
};
