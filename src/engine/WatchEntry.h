#pragma once

#include <QDate>
#include <QString>
#include <QVarLengthArray>
#include <optional>
#include <utility>

class IniDocument;
class IniFile;

// One watched file or folder: the keys of its section as they are stored, each a null string when
// it is missing or empty (every reader takes an empty value for its own default).
// How a value reads is each reader's own rule, and the readers differ on purpose: each keeps the
// rule it has always had, so that a value written by hand reads there as it always did. The rules
// stand side by side below so that the differences show.
class WatchEntry
{
public:
    // The keys an entry may store, each named in a comment by its stored name.
    enum class Key : quint8
    {
        FileName,      // "filename"
        Days,          // "days"
        Description,   // "description"
        PostponeDate,  // "Postponedate"
        NotActive,     // "Notactive"
        Kind,          // "non-fixed file type"
        AdviseChanges, // "advisechanges"
        Seen,          // "last date changed"
        SeenMoment,    // "last date changed utc"
        Pattern,       // "file pattern"
        SmallestSize,  // "smallest size"
        Job,           // "job": the command that makes the file
        JobWhenLate,   // "job when late"
        JobStarted,    // "job started": when the job last started by itself
    };

    qint16 number = 0;

    // The stored value; a null string when the key is missing or empty.
    const QString& value(Key key) const;
    void set(Key key, const QString& value);

    const QString& fileName() const { return value(Key::FileName); }
    const QString& days() const { return value(Key::Days); }
    const QString& description() const { return value(Key::Description); }
    const QString& postponeDate() const { return value(Key::PostponeDate); }
    const QString& notActive() const { return value(Key::NotActive); }
    const QString& kind() const { return value(Key::Kind); }
    const QString& adviseChanges() const { return value(Key::AdviseChanges); }
    const QString& seen() const { return value(Key::Seen); }
    const QString& seenMoment() const { return value(Key::SeenMoment); }
    const QString& pattern() const { return value(Key::Pattern); }
    const QString& smallestSize() const { return value(Key::SmallestSize); }
    const QString& job() const { return value(Key::Job); }
    const QString& jobWhenLate() const { return value(Key::JobWhenLate); }
    const QString& jobStarted() const { return value(Key::JobStarted); }

    // The entry's section in a parse of the watch list; the first of repeated keys counts.
    static WatchEntry read(const IniDocument& doc, qint16 number);
    // The same from the file as it is now.
    static WatchEntry read(IniFile& ini, const QString& inifilename, qint16 number);

    // Every reader: removed when the whole value, lowered, is "true".
    bool isRemoved() const;

    // The check passes over an entry without a description, and over a removed one.
    bool isActive() const;
    // The check leaves a folder entry's description at the 35 characters the editor allows.
    QString checkDescription() const;
    // The check reads a missing "days" as 0, so an entry saved without one is always due.
    qint16 checkDays() const;
    // The check: -1 a fixed file, 0 the oldest file of the folder, 1 the newest. Only a missing
    // value is a fixed file: -2, say, reads as a folder entry, as every number but -1 and 0 does.
    qint16 checkKind() const;
    // The check reports changes for the program's own lower-case "true" anywhere in the value.
    bool checkReportsChanges() const;
    // "Postponedate", when it reads as a date.
    std::optional<QDate> postponedUntil() const;
    // "smallest size" in bytes, when the entry has a size test.
    std::optional<qint64> smallestBytes() const;

    // The editor starts a missing "days" at 1, the smallest age it offers.
    qint16 editorDays() const;
    // The editor: any negative number is a fixed file (-1), so -2 opens as one; 2 or more the newest.
    int editorKind() const;
    // The editor's box is ticked for "true" in any letter case, and nothing more.
    bool editorReportsChanges() const;

    // The pop-up offers "Update the File Date" for "true" in any letter case, anywhere in the value.
    bool popupReportsChanges() const;
    // The printed report says so only when the whole value, lowered, is "true".
    bool reportReportsChanges() const;

    // Whether the entry names a command that makes its file; blanks alone name none.
    bool hasJob() const;
    // The job starts by itself, and the editor's box is ticked, for "true" in any letter case, and
    // nothing more.
    bool runsJobWhenLate() const;
    // The local day of "job started"; nullopt when it is missing or does not read as a moment.
    std::optional<QDate> jobStartedDay() const;

private:
    // Only the keys the section holds, with room in place for the six the editor always writes: a
    // field for each of the fourteen took 3.4 MB of a 10,000-entry check's peak of 19.5 MB.
    QVarLengthArray<std::pair<Key, QString>, 6> m_values;
};
