#pragma once

#include "engine/EntryReport.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class WatchEntry;
struct WatchList;

// When an entry's job starts by itself: a check that runs without the user finds its file old, too
// small or missing (never one that cannot be reached, nor one that changed: the job would not
// help), the entry asks for it ("job when late") and it has not started by itself yet today. Once a
// day at most, also when checks come every minute and the job keeps failing; "job started" in the
// entry keeps the day across a restart of the program. Judging only: the caller starts and stores.
namespace LateJob {

// The stored form of "job started": the local moment in ISO 8601 with its offset from UTC, such as
// 2024-03-05T02:00:13+01:00, so that it reads back as the same moment in any zone.
QString startedText(const QDateTime& moment);
// The local day of a stored "job started"; nullopt when it does not read as a moment.
std::optional<QDate> startedDay(const QString& stored);

// Whether a job starts after a check found the entry in `state`.
bool due(EntryReport::State state, const WatchEntry& entry, const QDate& today);
// The entries of a check whose jobs start; `reports` are the check's, `list` the entries as stored.
QList<qint16> dueEntries(const QList<EntryReport>& reports, const WatchList& list, const QDate& today);

} // namespace LateJob
