#pragma once

#include <QDate>
#include <QDateTime>

// The program's idea of "now". Tests pin it to a moment and move it on by hand.
class Clock
{
public:
    static QDateTime now();
    static QDate today();

    static void setMock(const QDateTime& moment);
    static void advanceMock(qint64 msecs);
    static void reset();
};
