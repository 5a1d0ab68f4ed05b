#pragma once

#include <QDate>
#include <QDateTime>
#include <QLatin1String>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// What the check found for one entry, for the reports that go to scripts and monitoring.
struct EntryReport
{
    Q_GADGET

public:
    enum class Kind
    {
        File,
        Newest,
        Oldest
    };
    enum class State
    {
        Ok,
        Old,
        Changed,
        Missing,
        Postponed,
        Removed,     // "Notactive", or no description: the window never checks it either
        Unreachable, // the file may be there, but could not be asked about in time or at all
        Small        // smaller than its "smallest size": a backup that ran but wrote little or nothing
    };
    Q_ENUM(State)

    qint16 number = 0;
    QString description; // as its row shows it
    QString fileName;    // a folder entry's after the folder pick
    Kind kind = Kind::File;
    qint16 days = 0;
    State state = State::Ok;
    std::optional<qint16> age;          // midnights since the file last changed; none without a file
    std::optional<QDate> postponeDate;  // the stored date, when it reads as one
    std::optional<QDateTime> modified;  // with the UTC offset of that moment
    QString error;                      // why an unreachable file could not be asked about
    QString pattern;                    // a folder entry's "file pattern", as stored
    std::optional<qint64> smallestSize; // in bytes, when the entry has a size test
    std::optional<qint64> size;         // of the file, when it was asked about

    static QLatin1String kindName(Kind kind);
    static QLatin1String stateName(State state);
    // Every state in declaration order, read from the enum itself so that a new one is never left out.
    static const QList<State>& states();
    // The first moment at which the entry counts as old: local midnight starting the day `days` after
    // the file's day. None without a file.
    std::optional<QDateTime> due() const;
};
