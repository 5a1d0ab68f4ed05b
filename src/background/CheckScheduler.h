#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Says when a check is due without the user asking: just after local midnight, after the machine
// wakes from sleep, and every so many minutes. It never polls: one timer waits for midnight and
// one for the interval, and a sleep shows itself either through logind or through the wall clock
// having moved much further than the timers between two of their ticks.
class CheckScheduler : public QObject
{
    Q_OBJECT

public:
    enum class Reason
    {
        Midnight,
        Wake,
        Interval
    };
    Q_ENUM(Reason)

    // The wall clock may drift from the timers by this much before it counts as a sleep.
    static constexpr qint64 kJumpMsecs = 3 * 60 * 1000;

    explicit CheckScheduler(QObject* parent = nullptr);

    // Aims the timers and listens for logind on the given bus (the system bus in the program). A
    // missing bus only costs the sleep signal.
    void start(const QDBusConnection& systemBus = QDBusConnection::systemBus());
    // 0 turns the interval off. Before start() the minutes are only kept for it.
    void setIntervalMinutes(int minutes);

    bool listensForSleep() const { return m_sleepSignal; }
    // The moment the midnight timer waits for, and how long it waited from when it was aimed.
    QDateTime midnightTarget() const { return m_target; }
    int midnightDelayMsecs() const { return m_midnight.interval(); }

signals:
    void checkDue(CheckScheduler::Reason reason);

private slots:
    // Qt D-Bus reaches bus signals only through slots named by text.
    void onPrepareForSleep(bool sleeping);
    // A slot, so that a test can tick it without waiting the minutes out.
    void intervalFired();

private:
    // Aims the midnight timer at the start of the local day after the one `moment` falls in.
    void aimAtMidnight(const QDateTime& moment);
    void midnightFired();
    // Notes a tick of either timer; true when the wall clock jumped since the last one.
    bool wallClockJumped();

    QTimer m_midnight;
    QTimer m_interval;
    QDateTime m_target;
    int m_intervalMinutes = 0;
    bool m_sleepSignal = false;
    QElapsedTimer m_sinceTick;
    QDateTime m_wallAtTick;
};
