#include "background/CheckScheduler.h"
#include "engine/Clock.h"

#include <QMetaEnum>
#include <QSignalSpy>
#include <QTest>
#include <ctime>

namespace {

void setZone(const QByteArray& zone)
{
    qputenv("TZ", zone);
    tzset();
}

QDateTime local(const QString& text)
{
    return QDateTime::fromString(text, Qt::ISODate).toLocalTime();
}

} // namespace

class TestCheckScheduler : public QObject
{
    Q_OBJECT

private:
    QByteArray m_zone;

private slots:
    void initTestCase() { m_zone = qgetenv("TZ"); }

    void cleanup()
    {
        Clock::reset();
        setZone(m_zone);
    }

    void aimsAtNextLocalMidnight_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("now"); // with its offset, so the moment does not depend on the zone
        QTest::addColumn<qint64>("delaySeconds");
        QTest::addColumn<QString>("target");

        QTest::newRow("ordinary evening") << QByteArray("America/New_York") << "2024-06-10T22:00:00-04:00" << 2LL * 3600
                                          << "2024-06-11T00:00:00-04:00";
        QTest::newRow("day of 23 hours") << QByteArray("America/New_York") << "2024-03-10T00:30:00-05:00"
                                         << 22LL * 3600 + 1800 << "2024-03-11T00:00:00-04:00";
        QTest::newRow("day of 25 hours") << QByteArray("America/New_York") << "2024-11-03T00:30:00-04:00"
                                         << 24LL * 3600 + 1800 << "2024-11-04T00:00:00-05:00";
        QTest::newRow("half-hour shift back") << QByteArray("Australia/Lord_Howe") << "2024-04-07T00:00:00+11:00"
                                              << 24LL * 3600 + 1800 << "2024-04-08T00:00:00+10:30";
        QTest::newRow("half-hour shift forward") << QByteArray("Australia/Lord_Howe") << "2024-10-06T01:00:00+10:30"
                                                 << 22LL * 3600 + 1800 << "2024-10-07T00:00:00+11:00";
        QTest::newRow("day without a midnight") << QByteArray("America/Santiago") << "2024-09-07T12:00:00-04:00"
                                                << 12LL * 3600 << "2024-09-08T01:00:00-03:00";
        QTest::newRow("a moment before midnight")
            << QByteArray("Europe/Berlin") << "2024-01-01T23:59:59+01:00" << 1LL << "2024-01-02T00:00:00+01:00";
    }

    void aimsAtNextLocalMidnight()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, now);
        QFETCH(qint64, delaySeconds);
        QFETCH(QString, target);
        setZone(zone);
        Clock::setMock(local(now));
        CheckScheduler scheduler;
        scheduler.start(QDBusConnection(QStringLiteral("none")));
        QCOMPARE(scheduler.midnightTarget(), local(target));
        QCOMPARE(qint64(scheduler.midnightDelayMsecs()), delaySeconds * 1000);
        QVERIFY(!scheduler.listensForSleep());
    }

    // Whatever the wall clock did while the midnight timer waited, the timer's tick leads to at
    // most one check, for the right reason, and to a timer aimed at a midnight still to come.
    void midnightTickChecksOnce_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("start"); // the timer is due 200 ms later
        QTest::addColumn<qint64>("clockMoved");
        QTest::addColumn<int>("reason"); // -1: no check yet
        QTest::addColumn<QString>("next");

        const QString eve = QStringLiteral("2024-05-01T23:59:59.800Z");
        const qint64 minute = 60 * 1000;
        const qint64 day = 24 * 60 * minute;
        const int midnight = int(CheckScheduler::Reason::Midnight);
        const int wake = int(CheckScheduler::Reason::Wake);
        QTest::newRow("on time, a short day next") << QByteArray("America/New_York") << "2024-03-09T23:59:59.800-05:00"
                                                   << 300LL << midnight << "2024-03-11T00:00:00-04:00";
        QTest::newRow("a little early") << QByteArray("UTC") << eve << 0LL << midnight << "2024-05-03T00:00:00Z";
        QTest::newRow("late within the drift")
            << QByteArray("UTC") << eve << 2 * minute << midnight << "2024-05-03T00:00:00Z";
        QTest::newRow("slept through midnight")
            << QByteArray("UTC") << eve << 3 * 60 * minute << wake << "2024-05-03T00:00:00Z";
        QTest::newRow("set forward by days")
            << QByteArray("UTC") << eve << 3 * day + 6 * 60 * minute << wake << "2024-05-06T00:00:00Z";
        QTest::newRow("set back by a minute") << QByteArray("UTC") << eve << -minute << -1 << "2024-05-02T00:00:00Z";
        QTest::newRow("set back by days")
            << QByteArray("UTC") << eve << -2 * day - 6 * 60 * minute << wake << "2024-04-30T00:00:00Z";
    }

    void midnightTickChecksOnce()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, start);
        QFETCH(qint64, clockMoved);
        QFETCH(int, reason);
        QFETCH(QString, next);
        setZone(zone);
        Clock::setMock(local(start));
        CheckScheduler scheduler;
        QSignalSpy due(&scheduler, &CheckScheduler::checkDue);
        scheduler.start(QDBusConnection(QStringLiteral("none")));
        Clock::advanceMock(clockMoved);
        QTest::qWait(600);
        QCOMPARE(due.count(), reason < 0 ? 0 : 1);
        if (reason >= 0)
            QCOMPARE(int(due.first().first().value<CheckScheduler::Reason>()), reason);
        QCOMPARE(scheduler.midnightTarget(), local(next));
        QVERIFY(scheduler.midnightDelayMsecs() > 1000);
    }
    // What the machine does between the timers' ticks, step by step: the wall clock moving on
    // while the timers stand still (a sleep), logind's signals, and an interval tick.
    void sleepAndInterval_data()
    {
        QTest::addColumn<QStringList>("steps"); // "+<hours>" moves the wall clock alone; "doze", "wake", "tick"
        QTest::addColumn<QString>("checks");    // the reasons given, in turn
        QTest::addColumn<QString>("next");      // the midnight then aimed at

        const QString tonight = QStringLiteral("2024-05-02T00:00:00Z");
        const QString tomorrow = QStringLiteral("2024-05-03T00:00:00Z");
        QTest::newRow("an interval on time") << QStringList{"tick"} << "Interval" << tonight;
        QTest::newRow("going to sleep checks nothing") << QStringList{"doze"} << "" << tonight;
        QTest::newRow("woken after the night") << QStringList{"doze", "+10", "wake"} << "Wake" << tomorrow;
        QTest::newRow("the interval after a wake") << QStringList{"+10", "wake", "tick"} << "Wake Interval" << tomorrow;
        QTest::newRow("a sleep only the interval sees") << QStringList{"+48", "tick"} << "Wake"
                                                        << "2024-05-04T00:00:00Z";
    }

    void sleepAndInterval()
    {
        QFETCH(QStringList, steps);
        setZone("UTC");
        Clock::setMock(local(QStringLiteral("2024-05-01T22:00:00Z")));
        CheckScheduler scheduler;
        QStringList checks;
        connect(&scheduler, &CheckScheduler::checkDue, this, [&checks](CheckScheduler::Reason reason) {
            checks << QString::fromLatin1(QMetaEnum::fromType<CheckScheduler::Reason>().valueToKey(int(reason)));
        });
        scheduler.start(QDBusConnection(QStringLiteral("none")));
        for (const QString& step : steps) {
            if (step.startsWith(QLatin1Char('+')))
                Clock::advanceMock(step.mid(1).toLongLong() * 3600 * 1000);
            else if (step == QLatin1String("tick"))
                QVERIFY(QMetaObject::invokeMethod(&scheduler, "intervalFired"));
            else
                QVERIFY(QMetaObject::invokeMethod(&scheduler, "onPrepareForSleep",
                                                  Q_ARG(bool, step == QLatin1String("doze"))));
        }
        QTEST(checks.join(QLatin1Char(' ')), "checks");
        QFETCH(QString, next);
        QCOMPARE(scheduler.midnightTarget(), local(next));
        QCOMPARE(qint64(scheduler.midnightDelayMsecs()), Clock::now().msecsTo(local(next)));
    }
};

QTEST_GUILESS_MAIN(TestCheckScheduler)
#include "tst_checkscheduler.moc"
