#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <utility>

#include "engine/EntryReport.h"

class FileQuery;
class WatchEntry;
struct WatchList;

// One row of the main list: the text shown, the entry it stands for and the place "Show in
// Folder" shows for it.
struct CheckRow
{
    CheckRow() = default;
    CheckRow(QString text, qint16 entry, QString place = QString())
        : text(std::move(text)), entry(entry), place(std::move(place))
    {}

    QString text;
    qint16 entry = 0;
    // The file the check found (a folder entry's pick), or, for a file it could not find or
    // reach, its folder with a trailing separator. Taken from the check, so that showing it never
    // asks a share again.
    QString place;
};

// The check of every entry of a watch list. It asks the file system about every entry in one
// pass, folder listings included, then judges each entry against today: postponed and removed
// entries are left out, a folder entry takes its newest or oldest file, an old, changed, too small
// or unreachable file gets a row. It writes nothing and asks the user nothing: what is to be
// stored and asked comes back with the rows, for the caller to do. It never fails on what the
// watch list holds.
class EntryChecker
{
public:
    // A folder entry whose newest or oldest file is another one now, to be stored as its file name.
    struct Pick
    {
        qint16 entry = 0;
        QString fileName;
    };
    // An entry the list would show whose file has gone: the refresh asks whether to remove it.
    struct Gone
    {
        qint16 entry = 0;
        QString fileName;
    };
    struct Result
    {
        QList<CheckRow> rows;
        QList<EntryReport> entries; // every entry with a file name, when asked for
        QList<Pick> picks;
        QList<Gone> gone;
        qint16 lastEntry = 0; // the entry number after the one that ended the walk (`cnt`)
        int watched = 0;      // entries neither removed nor without a description, postponed ones included
    };

    EntryChecker(FileQuery& query, const QDate& today);

    // Called once per entry examined, the one that ends the walk included.
    void setProgress(std::function<void()> progress) { m_progress = std::move(progress); }
    // Fills Result::entries.
    void setCollectReport(bool collect) { m_collectReport = collect; }
    // Asked after each entry: once it answers true the check stops, and its result is not to be used.
    void setStopped(std::function<bool()> stopped) { m_stopped = std::move(stopped); }

    Result check(const WatchList& list, bool showAll);

    // The row texts, exactly as the list shows them.
    static QString oldRowText(QStringView description, qint16 age);
    static QString changedRowText(QStringView description);
    static QString smallRowText(QStringView description, qint64 size);
    static QString unreachableRowText(QStringView description);
    // A row's place: `fileName` itself when the check found it, else the folder that holds it.
    static QString placeOf(const QString& fileName, bool found);

private:
    struct Examined;

    Examined examine(const WatchEntry& entry, bool showAll);
    void chooseFolderFile(const WatchEntry& entry, Examined& found);
    bool hidden(std::optional<QDate> until, bool showAll) const;
    // The row, if any, and what the report says; a gone file is noted for the question.
    void judge(const WatchEntry& entry, const Examined& found, bool showAll, Result& result) const;
    QString judgeFile(const WatchEntry& entry, const Examined& found, bool showAll, EntryReport& report) const;
    bool stopped() const { return m_stopped && m_stopped(); }

    FileQuery& m_query;
    QDate m_today; // every entry is judged against the same day
    std::function<void()> m_progress;
    bool m_collectReport = false;
    std::function<bool()> m_stopped;
};
