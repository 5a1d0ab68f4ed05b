#pragma once

#include <QDate>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/EntryReport.h"
#include "engine/FileStamp.h"
#include "store/IniFile.h"

class FileQuery;
class MissingFileQuestion;

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
    enum class Mode
    {
        Refresh,    // the window's refresh: stores the folder picks, writes the row map file, asks about missing files
        Unattended, // writes what a refresh writes, but asks nothing: a missing file keeps its entry
        ReadOnly,   // writes nothing and takes no lock: folder picks are made but not stored, no row map file
    };

    struct Result
    {
        QList<CheckRow> rows;
        qint16 lastEntry = 0;       // the entry number after the one that ended the walk (`cnt`)
        QList<EntryReport> entries; // every entry with a file name, when asked for
    };

    EntryChecker(IniFile& ini, QString inifilename, QString tempinifilename);
    ~EntryChecker();

    // Called once per entry examined, before it is read.
    void setProgress(std::function<void()> progress) { m_progress = std::move(progress); }
    void setMode(Mode mode) { m_mode = mode; }
    // Who answers the missing-file question of a refresh; without one, a missing file keeps its entry.
    void setMissingFileQuestion(MissingFileQuestion* question) { m_question = question; }
    // Fills Result::entries.
    void setCollectReport(bool collect) { m_collectReport = collect; }
    // Asked after each entry: once it answers true (the program is ending, say during the
    // missing-file question) the walk stops and writes nothing more, not even the row map file.
    void setStopped(std::function<bool()> stopped) { m_stopped = std::move(stopped); }
    // No file query waits past this moment; a file not answered by then cannot be reached.
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }

    Result run(bool showAll);

    // The row texts, exactly as the list shows them.
    static QString oldRowText(QStringView description, qint16 age);
    static QString changedRowText(QStringView description);
    static QString smallRowText(QStringView description, qint64 size);
    static QString unreachableRowText(QStringView description);

private:
    struct Entry;

    bool stopped() const;
    Result walk(bool showAll);
    // Examines entry `cnt`; false when it ends the walk.
    bool checkEntry(qint16 cnt, bool showAll, Result& result);
    Entry readEntry(qint16 cnt);
    // Reads the entries from `from` on, up to kReadAhead of them.
    void readAhead(qint16 from);
    // Postponed, and not listed.
    bool hidden(const Entry& entry, bool showAll) const;
    FileQuery::Answer ask(const Entry& entry);
    void chooseFolderFile(Entry& entry);
    std::optional<QString> rowText(const Entry& entry, bool showAll, EntryReport* report);
    // What the report says of a file the walk does not go on to test.
    std::optional<FileStamp::Local> stamp(const Entry& entry);
    void describe(EntryReport& report, const Entry& entry, qint16 cnt) const;
    // The row map file: which entry each row stands for, written whole once the walk is done.
    void saveRowMap(const QList<CheckRow>& rows);

    IniFile& m_ini;
    QString m_inifilename;
    QString m_tempinifilename;
    std::function<void()> m_progress;
    Mode m_mode = Mode::Refresh;
    MissingFileQuestion* m_question = nullptr;
    bool m_collectReport = false;
    std::function<bool()> m_stopped;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    std::unique_ptr<FileQuery> m_query; // one per run: the mount table as it is when the run starts
    QDate m_today;                      // taken once per run: every entry is judged against the same day
    static constexpr int kReadAhead = 64;
    std::vector<Entry> m_ahead; // entries read, not yet examined, from m_next on
    size_t m_next = 0;
    QString m_keyText; // what the key views of the entries read ahead point into, its room kept from one to the next
};
