#include "engine/Clock.h"

#include <optional>

namespace {

std::optional<QDateTime>& mocked()
{
    static std::optional<QDateTime> moment;
    return moment;
}

} // namespace

QDateTime Clock::now()
{
    return mocked() ? *mocked() : QDateTime::currentDateTime();
}

QDate Clock::today()
{
    // The calendar day where the user is, also for a pinned moment given in another zone.
    return now().toLocalTime().date();
}

void Clock::setMock(const QDateTime& moment)
{
    mocked() = moment;
}

void Clock::advanceMock(qint64 msecs)
{
    if (mocked())
        mocked() = mocked()->addMSecs(msecs);
}

void Clock::reset()
{
    mocked().reset();
}
