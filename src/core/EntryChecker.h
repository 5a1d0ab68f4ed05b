#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "settings/IniFile.h"

class QWidget;

// One row of the main list: the text shown and the entry it stands for.
struct CheckRow
{
    QString text;
    qint16 entry = 0;
};

// The check of every entry of the watch list file, without a window. It walks the entries from 0,
// turns folder entries into their chosen file, leaves out postponed and removed entries, asks
// about missing files, applies the age and change tests, and writes the row map file in one go.
// It never fails on what the watch list file holds.
class EntryChecker
{
public:
    struct Result
    {
        QList<CheckRow> rows;
        qint16 lastEntry = 0; // the entry number after the one that ended the walk (`cnt`)
    };

    EntryChecker(IniFile& ini, QString inifilename, QString tempinifilename);

    // Called once per entry examined, before it is read.
    void setProgress(std::function<void()> progress) { m_progress = std::move(progress); }
    // The parent of the missing-file question.
    void setDialogParent(QWidget* parent) { m_parent = parent; }

    Result run(bool showAll);

    // The row texts, exactly as the list shows them.
    static QString oldRowText(const QString& description, qint16 age);
    static QString changedRowText(const QString& description);
    static QString missingFileQuestion(const QString& fileName);

private:
    struct Entry;

    Result walk(bool showAll);
    // Examines entry `cnt`; false when it ends the walk.
    bool checkEntry(qint16 cnt, bool showAll, Result& result);
    Entry readEntry(qint16 cnt);
    void chooseFolderFile(Entry& entry);
    std::optional<QString> rowText(const Entry& entry, bool showAll);

    IniFile& m_ini;
    QString m_inifilename;
    QString m_tempinifilename;
    std::function<void()> m_progress;
    QWidget* m_parent = nullptr;
    QDate m_today; // taken once per run: every entry is judged against the same day
    QList<IniFile::Write> m_rowMap;
};
