#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// A timer that beats every 10 ms on the thread it lives in and remembers the longest gap between
// two beats: how long that thread's event loop was kept from running.
class Heartbeat : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMsecs = 10;

    explicit Heartbeat(QObject* parent = nullptr);

    void start();
    void stop();
    // The longest gap since start(), in milliseconds; the interval itself is part of it.
    double longestGapMsecs() const { return double(m_longest) / 1e6; }

private:
    void beat();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};
