#include "engine/EntryReport.h"

#include <QMetaEnum>

QLatin1String EntryReport::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Newest:
        return QLatin1String("newest");
    case Kind::Oldest:
        return QLatin1String("oldest");
    case Kind::File:
        break;
    }
    return QLatin1String("file");
}

QLatin1String EntryReport::stateName(State state)
{
    switch (state) {
    case State::Old:
        return QLatin1String("old");
    case State::Changed:
        return QLatin1String("changed");
    case State::Missing:
        return QLatin1String("missing");
    case State::Postponed:
        return QLatin1String("postponed");
    case State::Removed:
        return QLatin1String("removed");
    case State::Small:
        return QLatin1String("small");
    case State::Unreachable:
        return QLatin1String("unreachable");
    case State::Ok:
        break;
    }
    return QLatin1String("ok");
}

const QList<EntryReport::State>& EntryReport::states()
{
    static const QList<State> all = [] {
        const QMetaEnum meta = QMetaEnum::fromType<State>();
        QList<State> list;
        for (int i = 0; i < meta.keyCount(); ++i)
            list.append(static_cast<State>(meta.value(i)));
        return list;
    }();
    return all;
}

std::optional<QDateTime> EntryReport::due() const
{
    if (!modified)
        return std::nullopt;
    // The age counts midnights in the local calendar: the day is the one the age was counted from,
    // and the moment is where the local zone starts the later day, which startOfDay() finds even
    // when summer time skips midnight.
    return modified->date().addDays(days).startOfDay(Qt::LocalTime);
}
