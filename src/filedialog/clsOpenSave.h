#pragma once

#include <QString>

#include "filedialog/FileChooser.h"

class QWidget;

// An open file dialog behind a set of properties: set what the dialog should show, call ShowOpen,
// then read the chosen file from FileName.
class clsOpenSave
{
public:
    // Option bits, as callers of the classic dialog know them. Only those with a Qt equivalent act.
    enum Flag : qint32
    {
        OFN_HIDEREADONLY = 0x4,
        OFN_FILEMUSTEXIST = 0x1000,
        OFN_EXPLORER = 0x80000,
        OFN_NODEREFERENCELINKS = 0x100000,
    };

    clsOpenSave();

    // The owner window; nullptr for none.
    void setHwnd(QWidget* value) { m_hwnd = value; }
    void setInitDir(const QString& value) { m_initDir = value; }
    void setFlags(qint32 value) { m_flags = value; }
    void setDialogTitle(const QString& value) { m_dialogTitle = value; }
    void setCancelError(bool value) { m_cancelError = value; }
    const QString& FileName() const { return m_fileName; }

    // Returns normally after a choice. A cancel changes nothing; with CancelError set it raises
    // AppError::CancelSelected.
    void ShowOpen();

private:
    QWidget* m_hwnd = nullptr;
    QString m_initDir;
    qint32 m_flags = 0;
    QString m_fileName;
    QString m_dialogTitle;
    bool m_cancelError = false;
};
