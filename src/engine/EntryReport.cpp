#include "engine/EntryReport.h"

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
    case State::Unreachable:
        return QLatin1String("unreachable");
    case State::Ok:
        break;
    }
    return QLatin1String("ok");
}
