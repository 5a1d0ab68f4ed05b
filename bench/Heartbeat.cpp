#include "Heartbeat.h"

Heartbeat::Heartbeat(QObject* parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMsecs);
    connect(&m_timer, &QTimer::timeout, this, &Heartbeat::beat);
}

void Heartbeat::start()
{
    m_longest = 0;
    m_clock.start();
    m_last = 0;
    m_timer.start();
}

void Heartbeat::stop()
{
    beat();
    m_timer.stop();
}

void Heartbeat::beat()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_longest = std::max(m_longest, now - m_last);
    m_last = now;
}
