#include "engine/DateTexts.h"
#include "engine/EntryReport.h"

#include <QTest>
#include <ctime>

// The moment an entry becomes old, which alert rules compare with the clock: it must fall on the
// very second at which the program's own age count reaches the entry's days, in zones whose
// offset changes between the file's day and the due day or that skip midnight.
class TestEntryReport : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void dueIsTheFirstSecondOfTheOldDay_data();
    void dueIsTheFirstSecondOfTheOldDay();
};

void TestEntryReport::cleanup()
{
    qunsetenv("TZ");
    tzset();
}

void TestEntryReport::dueIsTheFirstSecondOfTheOldDay_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("modified");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("due");

    QTest::newRow("summer time begins in between")
        << QByteArray("Europe/Berlin") << "2026-03-27T12:00:00+01:00" << 3 << "2026-03-29T22:00:00Z";
    QTest::newRow("summer time ends in between")
        << QByteArray("Europe/Berlin") << "2026-10-23T08:00:00+02:00" << 7 << "2026-10-29T23:00:00Z";
    QTest::newRow("the due day has no midnight")
        << QByteArray("America/Santiago") << "2026-09-03T12:00:00-04:00" << 3 << "2026-09-06T04:00:00Z";
    QTest::newRow("half an hour back") << QByteArray("Australia/Lord_Howe") << "2026-04-01T12:00:00+11:00" << 10
                                       << "2026-04-10T13:30:00Z";
    // Already the next day in UTC: the local day counts.
    QTest::newRow("late in the evening") << QByteArray("America/New_York") << "2026-01-10T23:30:00-05:00" << 1
                                         << "2026-01-11T05:00:00Z";
    QTest::newRow("no days: old from its own midnight")
        << QByteArray("America/New_York") << "2026-01-10T15:00:00-05:00" << 0 << "2026-01-10T05:00:00Z";
}

void TestEntryReport::dueIsTheFirstSecondOfTheOldDay()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, modified);
    QFETCH(int, days);
    QFETCH(QString, due);
    qputenv("TZ", zone);
    tzset();

    EntryReport entry;
    entry.days = qint16(days);
    entry.modified = QDateTime::fromString(modified, Qt::ISODate);
    QVERIFY(entry.modified->isValid());
    const std::optional<QDateTime> got = entry.due();
    QVERIFY(got);
    QCOMPARE(got->toUTC(), QDateTime::fromString(due, Qt::ISODate));
    // The program's rule: old once the midnights counted reach the days, and not a second before.
    QVERIFY(DateTexts::ageInDays(*entry.modified, *got) >= days);
    QVERIFY(DateTexts::ageInDays(*entry.modified, got->addSecs(-1)) < days);

    entry.modified.reset();
    QVERIFY(!entry.due());
}

QTEST_GUILESS_MAIN(TestEntryReport)
#include "tst_entryreport.moc"
