#include "mainwindow/CloseCountdown.h"

#include <QTest>

class TestCloseCountdown : public QObject
{
    Q_OBJECT

private slots:
    void remaining_data()
    {
        QTest::addColumn<qint64>("startMs"); // milliseconds into the start's second
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<int>("expected");
        QTest::newRow("at start") << qint64(0) << qint64(0) << 20;
        QTest::newRow("first tick") << qint64(0) << qint64(1000) << 19;
        QTest::newRow("first tick, late in the second") << qint64(900) << qint64(1000) << 19;
        QTest::newRow("a boundary crossed early") << qint64(900) << qint64(200) << 19;
        QTest::newRow("within the same second") << qint64(100) << qint64(800) << 20;
        QTest::newRow("one left") << qint64(0) << qint64(19000) << 1;
        QTest::newRow("end") << qint64(0) << qint64(20000) << 0;
        QTest::newRow("overdue") << qint64(0) << qint64(45000) << -25;
        QTest::newRow("clock far behind") << qint64(0) << qint64(-100000000) << 32767;
        QTest::newRow("clock far ahead") << qint64(0) << qint64(100000000) << -32768;
    }

    void remaining()
    {
        QFETCH(qint64, startMs);
        QFETCH(qint64, elapsedMs);
        QFETCH(int, expected);
        const QDateTime start = QDateTime(QDate(2026, 6, 12), QTime(10, 0, 0)).addMSecs(startMs);
        QCOMPARE(int(CloseCountdown::remaining(start, start.addMSecs(elapsedMs))), expected);
    }

    void beforeTheEpochCountsTheSame()
    {
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(-1500, Qt::UTC);
        QCOMPARE(int(CloseCountdown::remaining(start, start.addMSecs(1000))), 19);
        QCOMPARE(int(CloseCountdown::remaining(start, start.addMSecs(600))), 19); // crosses -1 s
    }
};

QTEST_GUILESS_MAIN(TestCloseCountdown)
#include "tst_closecountdown.moc"
