#include "background/CheckScheduler.h"

#include "engine/Clock.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 kMinuteMsecs = 60 * 1000;

int timerMsecs(qint64 msecs)
{
    return int(std::clamp<qint64>(msecs, 0, std::numeric_limits<int>::max()));
}

} // namespace

CheckScheduler::CheckScheduler(QObject* parent) : QObject(parent)
{
    // A coarse timer may fire up to 5% early, over an hour on a day-long wait.
    m_midnight.setTimerType(Qt::PreciseTimer);
    m_midnight.setSingleShot(true);
    m_interval.setTimerType(Qt::CoarseTimer);
    connect(&m_midnight, &QTimer::timeout, this, &CheckScheduler::midnightFired);
    connect(&m_interval, &QTimer::timeout, this, &CheckScheduler::intervalFired);
}

void CheckScheduler::start(const QDBusConnection& systemBus)
{
    m_sinceTick.start();
    m_wallAtTick = Clock::now();
    aimAtMidnight(Clock::now());
    setIntervalMinutes(m_intervalMinutes);
    if (systemBus.isConnected()) {
        QDBusConnection bus(systemBus);
        m_sleepSignal = bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                                    this, SLOT(onPrepareForSleep(bool)));
    }
}

void CheckScheduler::setIntervalMinutes(int minutes)
{
    m_intervalMinutes = qMax(0, minutes);
    if (m_intervalMinutes == 0 || !m_sinceTick.isValid()) {
        m_interval.stop();
        return;
    }
    // A week is the longest interval offered, well within the timer's range.
    m_interval.start(timerMsecs(m_intervalMinutes * kMinuteMsecs));
}

void CheckScheduler::aimAtMidnight(const QDateTime& moment)
{
    const QDateTime now = Clock::now();
    // The start of the next local day, also on days that begin at 01:00.
    m_target = moment.toLocalTime().date().addDays(1).startOfDay(Qt::LocalTime);
    // Both ends are absolute moments, so a day of 23 or 25 hours is measured as it is.
    m_midnight.start(timerMsecs(now.msecsTo(m_target)));
}

bool CheckScheduler::wallClockJumped()
{
    const QDateTime wall = Clock::now();
    const qint64 wallMoved = m_wallAtTick.msecsTo(wall);
    const qint64 timersMoved = m_sinceTick.restart();
    m_wallAtTick = wall;
    return qAbs(wallMoved - timersMoved) > kJumpMsecs;
}

void CheckScheduler::midnightFired()
{
    if (wallClockJumped()) {
        aimAtMidnight(Clock::now());
        emit checkDue(Reason::Wake);
        return;
    }
    // The wall clock may have been set back since the timer was aimed: wait for the rest.
    if (Clock::now() < m_target.addMSecs(-1000)) {
        m_midnight.start(timerMsecs(Clock::now().msecsTo(m_target)));
        return;
    }
    // A timer a little early must not aim at the midnight it was meant for a second time.
    aimAtMidnight(qMax(Clock::now(), m_target));
    emit checkDue(Reason::Midnight);
}

void CheckScheduler::intervalFired()
{
    if (wallClockJumped()) {
        aimAtMidnight(Clock::now());
        emit checkDue(Reason::Wake);
        return;
    }
    emit checkDue(Reason::Interval);
}

void CheckScheduler::onPrepareForSleep(bool sleeping)
{
    if (sleeping)
        return;
    // The timers stood still while the machine slept; midnight may be much nearer now.
    m_sinceTick.restart();
    m_wallAtTick = Clock::now();
    aimAtMidnight(Clock::now());
    emit checkDue(Reason::Wake);
}
