#include "engine/LateJob.h"

#include "engine/WatchEntry.h"
#include "engine/WatchList.h"

namespace LateJob {

QString startedText(const QDateTime& moment)
{
    const QDateTime local = moment.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

std::optional<QDate> startedDay(const QString& stored)
{
    const QDateTime moment = QDateTime::fromString(stored.trimmed(), Qt::ISODate);
    if (!moment.isValid())
        return std::nullopt;
    return moment.toLocalTime().date();
}

bool due(EntryReport::State state, const WatchEntry& entry, const QDate& today)
{
    using State = EntryReport::State;
    if (state != State::Old && state != State::Small && state != State::Missing)
        return false;
    if (!entry.hasJob() || !entry.runsJobWhenLate())
        return false;
    // Only a start today holds the next one back: a day in the future is a clock that was wrong.
    return entry.jobStartedDay() != today;
}

QList<qint16> dueEntries(const QList<EntryReport>& reports, const WatchList& list, const QDate& today)
{
    QList<qint16> out;
    for (const EntryReport& report : reports) {
        // The list holds every entry of the walk at its own number.
        if (report.number < 0 || report.number >= list.entries.size())
            continue;
        if (due(report.state, list.entries[report.number], today))
            out.append(report.number);
    }
    return out;
}

} // namespace LateJob
