#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "engine/EntryChecker.h"
#include "engine/FileStamp.h"
#include "store/IniFile.h"

// What the editor holds when OK is pressed.
struct EntryInput
{
    QString fileName;
    QString description;
    qint16 days = 0;
    bool directoryMode = false;
    int typeIndex = -1; // 0 oldest, 1 newest, -1 when no list item is selected
    bool reportChanges = false;
    QString pattern = QString();      // a folder entry's "file pattern", empty for every file
    QString smallestSize = QString(); // "smallest size" as typed, empty for no size test
    QString job = QString();          // the command that makes the file, empty for none
    bool jobWhenLate = false;         // the job starts by itself when the file is late
};

// Every write of an entry's keys: the editor's save, the answers to a reminder and the check's
// own. Each goes in one replace of the file, so a failure leaves the entry as it was.
class EntryWriter
{
public:
    enum class Result
    {
        Saved,
        NoDescription,
        NoFileName,
        ListFull,
        NoEntry,
        PatternHoldsFolder,
        NotASize
    };

    // Why the values cannot be saved; nullopt when they can.
    static std::optional<Result> refusal(const EntryInput& input);
    // The text that tells the user why nothing was saved.
    static QString message(Result result);
    // What the save does to the moment the user last saw ("last date changed"): leave it as
    // stored, or replace it with `moment`, clearing it when that is empty.
    struct Seen
    {
        bool replace = false;
        std::optional<FileStamp::Local> moment;
    };
    // A stored moment belongs to the file it was seen on. It stays while the entry keeps that
    // file; a different file brings its own moment, and a new entry brings none of the number's
    // earlier owner.
    static Seen seen(IniFile& ini, const QString& inifilename, const EntryInput& input, qint16 entry, bool isNew);
    // Which of the keys a watch list without them never holds are stored for the entry now: a save
    // writes them when they are set, and clears them when they were.
    struct Optional
    {
        bool pattern = false;
        bool smallestSize = false;
        bool job = false;
        bool jobWhenLate = false;
    };
    static Optional storedOptional(IniFile& ini, const QString& inifilename, qint16 entry);
    // The keys of the entry in the order they are written.
    static QList<IniFile::Write> writes(const EntryInput& input, qint16 entry, const Seen& seen,
                                        const Optional& stored);
    // Whether two names reach the same file (or would, for a file that is not there).
    static bool sameFile(FileQuery& query, const QString& a, const QString& b);
    // Saves into `entry`, which is -1 when the list is full.
    static Result save(IniFile& ini, const QString& inifilename, const EntryInput& input, qint16 entry, bool isNew);
    // Saves a new entry under the first free number, chosen under the file's write lock so that
    // two copies saving at once never take the same one. `chosen` (if given) gets the number.
    static Result saveNew(IniFile& ini, const QString& inifilename, const EntryInput& input, qint16* chosen = nullptr);

    // Postponed until `until`; "never" removes the entry as well.
    static void postpone(IniFile& ini, const QString& inifilename, qint16 entry, const QDate& until, bool never);
    // "Update the File Date": the file's moment now is the one the user has seen.
    static void acknowledge(IniFile& ini, const QString& inifilename, qint16 entry, const FileStamp::Local& modified);
    // What a check hands back: the user removed the entry when its file had gone, and folder
    // entries whose pick is another file now, stored together.
    static void markRemoved(IniFile& ini, const QString& inifilename, const QString& section);
    static void storePicks(IniFile& ini, const QString& inifilename, const QList<EntryChecker::Pick>& picks);
    // A job about to start by itself: stores `now` as its "job started", unless the entry as stored
    // now says it started by itself today already (another copy of the program may have started it
    // meanwhile). True when the job is to start.
    static bool claimLateJob(IniFile& ini, const QString& inifilename, qint16 entry, const QDateTime& now);

private:
    static bool reportsChanges(const EntryInput& input);
    static bool seenStored(IniFile& ini, const QString& inifilename, qint16 entry);
};
