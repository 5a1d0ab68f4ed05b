#include "engine/EntryReport.h"

#include <QMetaEnum>

QLatin1String EntryReport::kindName(Kind kind)
{
    static constexpr QLatin1String kNames[] = {QLatin1String("file"), QLatin1String("newest"), QLatin1String("oldest")};
    return kNames[int(kind)];
}

QLatin1String EntryReport::stateName(State state)
{
    // In the order the states are declared.
    static constexpr QLatin1String kNames[] = {
        QLatin1String("ok"),        QLatin1String("old"),     QLatin1String("changed"),     QLatin1String("missing"),
        QLatin1String("postponed"), QLatin1String("removed"), QLatin1String("unreachable"), QLatin1String("small")};
    return kNames[int(state)];
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
