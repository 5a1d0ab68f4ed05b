#pragma once

#include <QString>

#include "filedialog/FileChooser.h"

class QWidget;

// An open or save file dialog behind a set of properties: set what the dialog should show, call
// ShowOpen or ShowSave, then read the chosen file from the properties. Every instance stands
// alone; a second call starts from the result of the first.
class clsOpenSave
{
public:
    // Option bits, as callers of the classic dialog know them. Only those with a Qt equivalent act.
    enum Flag : qint32
    {
        OFN_OVERWRITEPROMPT = 0x2,
        OFN_HIDEREADONLY = 0x4,
        OFN_EXTENSIONDIFFERENT = 0x400,
        OFN_FILEMUSTEXIST = 0x1000,
        OFN_EXPLORER = 0x80000,
        OFN_NODEREFERENCELINKS = 0x100000,
    };

    clsOpenSave();

    qint16 FileExt() const { return m_fileExt; }
    void setFileExt(qint16 value) { m_fileExt = value; }
    // The owner window; nullptr for none.
    QWidget* hwnd() const { return m_hwnd; }
    void setHwnd(QWidget* value) { m_hwnd = value; }
    qint16 MaxFileSize() const { return m_maxFileSize; }
    void setMaxFileSize(qint16 value) { m_maxFileSize = value; }
    const QString& InitDir() const { return m_initDir; }
    void setInitDir(const QString& value) { m_initDir = value; }
    qint32 Flags() const { return m_flags; }
    void setFlags(qint32 value) { m_flags = value; }
    // "Description|pattern|Description|pattern", patterns separated by ";".
    QString Filter() const;
    void setFilter(const QString& value);
    qint16 FilterIndex() const { return m_filterIndex; }
    void setFilterIndex(qint16 value) { m_filterIndex = value; }
    const QString& FileTitle() const { return m_fileTitle; }
    void setFileTitle(const QString& value) { m_fileTitle = value; }
    const QString& FileName() const { return m_fileName; }
    void setFileName(const QString& value) { m_fileName = value; }
    const QString& DialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString& value) { m_dialogTitle = value; }
    const QString& DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString& value) { m_defaultExt = value; }
    bool CancelError() const { return m_cancelError; }
    void setCancelError(bool value) { m_cancelError = value; }

    // Both return normally after a choice. A cancel changes nothing; with CancelError set it
    // raises AppError::CancelSelected.
    void ShowOpen();
    void ShowSave();

    // The filter as the dialog receives it: parts separated by NUL, ending in two NULs.
    const QString& storedFilter() const { return m_filter; }
    static QString toStoredFilter(const QString& text);
    static QString fromStoredFilter(const QString& stored);
    // The description and pattern pairs of a stored filter as Qt's name filters.
    static QStringList nameFilters(const QString& stored);

private:
    void show(FileChoiceRequest::Kind kind);
    FileChoiceRequest request(FileChoiceRequest::Kind kind) const;
    void takeChoice(const FileChoice& choice, int filterCount);
    static qint16 extensionOffset(const QString& path);

    qint16 m_fileExt = 0;
    QWidget* m_hwnd = nullptr;
    qint16 m_maxFileSize = 260;
    QString m_initDir;
    qint32 m_flags = 0;
    QString m_filter;
    qint16 m_filterIndex = 1;
    QString m_fileTitle;
    QString m_fileName;
    QString m_dialogTitle;
    QString m_defaultExt;
    bool m_cancelError = false;
};
