#include "background/CheckScheduler.h"
#include "engine/Clock.h"

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

    void firesAtMidnightAndAimsAtTheNext()
    {
        setZone("America/New_York");
        Clock::setMock(local("2024-03-09T23:59:59.800-05:00"));
        CheckScheduler scheduler;
        QSignalSpy due(&scheduler, &CheckScheduler::checkDue);
        scheduler.start(QDBusConnection(QStringLiteral("none")));
        Clock::advanceMock(300);
        QTRY_COMPARE(due.count(), 1);
        QCOMPARE(due.first().first().value<CheckScheduler::Reason>(), CheckScheduler::Reason::Midnight);
        // The next day is the short one.
        QCOMPARE(scheduler.midnightTarget(), local("2024-03-11T00:00:00-04:00"));
        QCOMPARE(qint64(scheduler.midnightDelayMsecs()), 23LL * 3600 * 1000 - 100);
        QTest::qWait(200);
        QCOMPARE(due.count(), 1);
    }

    void wallClockJumpCountsAsWake()
    {
        setZone("UTC");
        Clock::setMock(local("2024-05-01T23:59:59.900Z"));
        CheckScheduler scheduler;
        QSignalSpy due(&scheduler, &CheckScheduler::checkDue);
        scheduler.start(QDBusConnection(QStringLiteral("none")));
        // The machine slept through midnight: the timer comes late, the clock is far ahead.
        Clock::advanceMock(3LL * 3600 * 1000);
        QTRY_COMPARE(due.count(), 1);
        QCOMPARE(due.first().first().value<CheckScheduler::Reason>(), CheckScheduler::Reason::Wake);
        QCOMPARE(scheduler.midnightTarget(), local("2024-05-03T00:00:00Z"));
    }

    void clockSetBackWaitsForTheRest()
    {
        setZone("UTC");
        Clock::setMock(local("2024-05-01T23:59:59.900Z"));
        CheckScheduler scheduler;
        QSignalSpy due(&scheduler, &CheckScheduler::checkDue);
        scheduler.start(QDBusConnection(QStringLiteral("none")));
        // Within what counts as drift, but still before midnight when the timer fires.
        Clock::advanceMock(-60 * 1000);
        QTest::qWait(300);
        QCOMPARE(due.count(), 0);
        QCOMPARE(scheduler.midnightTarget(), local("2024-05-02T00:00:00Z"));
        QVERIFY(scheduler.midnightDelayMsecs() > 59 * 1000);
    }
};

QTEST_GUILESS_MAIN(TestCheckScheduler)
#include "tst_checkscheduler.moc"
