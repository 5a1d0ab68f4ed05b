#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "engine/EntryReport.h"

// One check of a watch list as the command line reports it: every entry the walk examined, and
// the rows the main list would show.
struct CheckReport
{
    // The exit codes of the monitoring plugins, which every output format follows.
    enum class Status
    {
        Ok = 0,       // nothing to report
        Warning = 1,  // only changes
        Critical = 2, // at least one entry old or missing
        Unknown = 3   // some entry could not be reached, or the watch list could not be checked
    };

    QString watchList; // absolute path
    QDateTime checkedAt;
    double durationSeconds = 0; // the walk over the entries, wall-clock time
    QList<EntryReport> entries;
    QStringList rows; // exactly as the main list shows them

    int count(EntryReport::State state) const;
    Status status() const;
    // "<description> no longer exists: <file>", one for each missing entry, in entry order.
    QStringList missingLines() const;
    // "<description> cannot be reached: <file> (<why>)", one for each unreachable entry.
    QStringList unreachableLines() const;

    static QLatin1String statusName(Status status);
};
