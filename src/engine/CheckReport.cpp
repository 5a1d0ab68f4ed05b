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
    if (count(EntryReport::State::Old) > 0 || count(EntryReport::State::Missing) > 0)
        return Status::Critical;
    if (count(EntryReport::State::Changed) > 0)
        return Status::Warning;
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
