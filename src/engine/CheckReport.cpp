#include "engine/CheckReport.h"

int CheckReport::count(EntryReport::State state) const
{
    int n = 0;
    for (const EntryReport& entry : entries)
        n += entry.state == state ? 1 : 0;
    return n;
}

CheckReport::Status CheckReport::status() const
{
    if (count(EntryReport::State::Old) > 0 || count(EntryReport::State::Missing) > 0 ||
        count(EntryReport::State::Small) > 0)
        return Status::Critical;
    if (count(EntryReport::State::Changed) > 0)
        return Status::Warning;
    // The report is whole, but what could not be asked is not known to be fine.
    if (count(EntryReport::State::Unreachable) > 0)
        return Status::Unknown;
    return Status::Ok;
}

QStringList CheckReport::missingLines() const
{
    QStringList lines;
    for (const EntryReport& entry : entries) {
        if (entry.state == EntryReport::State::Missing)
            lines.append(entry.description + QStringLiteral(" no longer exists: ") + entry.fileName);
    }
    return lines;
}

QStringList CheckReport::unreachableLines() const
{
    QStringList lines;
    for (const EntryReport& entry : entries) {
        if (entry.state == EntryReport::State::Unreachable) {
            lines.append(entry.description + QStringLiteral(" cannot be reached: ") + entry.fileName +
                         QStringLiteral(" (") + entry.error + QLatin1Char(')'));
        }
    }
    return lines;
}

QLatin1String CheckReport::statusName(Status status)
{
    switch (status) {
    case Status::Warning:
        return QLatin1String("WARNING");
    case Status::Critical:
        return QLatin1String("CRITICAL");
    case Status::Unknown:
        return QLatin1String("UNKNOWN");
    case Status::Ok:
        break;
    }
    return QLatin1String("OK");
}
