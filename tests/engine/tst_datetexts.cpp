#include "engine/DateTexts.h"

#include "engine/FileStamp.h"

#include <QRandomGenerator>
#include <QTimeZone>

#include <QTest>

class TestDateTexts : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void shortDateRoundTrips_data();
    void shortDateRoundTrips();
    void readsOtherForms_data();
    void readsOtherForms();
    void generalDateIsStableText_data();
    void generalDateIsStableText();
    void generalDateReadsBack_data();
    void generalDateReadsBack();
    void countsMidnights_data();
    void countsMidnights();

private:
    static void addLocales();

    QByteArray m_zone = qgetenv("TZ");
};

void TestDateTexts::cleanup()
{
    DateTexts::resetLocaleForTesting();
    if (m_zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", m_zone);
    FileStamp::refreshZone();
}

void TestDateTexts::addLocales()
{
    QTest::addColumn<QString>("localeName");
    for (const char* name : {"C", "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "nl_NL", "ar_EG"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDateTexts::shortDateRoundTrips_data()
{
    addLocales();
}

void TestDateTexts::shortDateRoundTrips()
{
    QFETCH(QString, localeName);
    DateTexts::setLocaleForTesting(QLocale(localeName));
    for (const QDate date : {QDate(1901, 1, 1), QDate(1999, 12, 31), QDate(2000, 2, 29), QDate(2038, 1, 19),
                             QDate(2099, 7, 4), QDate(9999, 12, 31)}) {
        const QString text = DateTexts::shortDate(date);
        QVERIFY2(text.contains(QString::number(date.year())) || localeName == "ar_EG", qPrintable(text));
        QCOMPARE(DateTexts::parseShortDate(text), std::optional<QDate>(date));
    }
}

void TestDateTexts::readsOtherForms_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected"); // invalid: reads as no date

    QTest::newRow("two-digit year is this century") << "en_US"
                                                    << "1/8/27" << QDate(2027, 1, 8);
    QTest::newRow("two-digit year 50") << "en_US"
                                       << "1/8/50" << QDate(2050, 1, 8);
    QTest::newRow("two-digit year after 50") << "en_US"
                                             << "1/8/60" << QDate(2060, 1, 8);
    QTest::newRow("two-digit year, German") << "de_DE"
                                            << "08.01.27" << QDate(2027, 1, 8);
    QTest::newRow("four-digit year") << "en_US"
                                     << "1/8/2027" << QDate(2027, 1, 8);
    QTest::newRow("ISO") << "en_US"
                         << "2027-01-08" << QDate(2027, 1, 8);
    QTest::newRow("ISO elsewhere") << "de_DE"
                                   << "2027-01-08" << QDate(2027, 1, 8);
    QTest::newRow("blanks around") << "en_US"
                                   << "  1/8/2027 " << QDate(2027, 1, 8);
    QTest::newRow("empty") << "en_US"
                           << "" << QDate();
    QTest::newRow("garbage") << "en_US"
                             << "soon" << QDate();
    QTest::newRow("no such day") << "en_US"
                                 << "2/30/2027" << QDate();
    QTest::newRow("other locale's order") << "de_DE"
                                          << "1/8/2027" << QDate();
}

void TestDateTexts::readsOtherForms()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    DateTexts::setLocaleForTesting(QLocale(localeName));
    const auto parsed = DateTexts::parseShortDate(text);
    QCOMPARE(parsed.has_value(), expected.isValid());
    if (parsed)
        QCOMPARE(*parsed, expected);
}

void TestDateTexts::generalDateIsStableText_data()
{
    addLocales();
}

void TestDateTexts::generalDateIsStableText()
{
    QFETCH(QString, localeName);
    DateTexts::setLocaleForTesting(QLocale(localeName));
    const QDateTime moment(QDate(2026, 6, 12), QTime(15, 10, 44, 250));
    const QString text = DateTexts::generalDate(moment);
    QVERIFY(text.startsWith(DateTexts::shortDate(moment.date()) + ' '));
    // The same moment always reads the same, milliseconds apart or given at any offset.
    QCOMPARE(DateTexts::generalDate(moment.addMSecs(500)), text);
    for (const int hours : {0, -12, 14})
        QCOMPARE(DateTexts::generalDate(moment.toOffsetFromUtc(hours * 3600)), text);
    // A second apart is a change.
    QVERIFY(DateTexts::generalDate(moment.addSecs(1)) != text);
    QVERIFY(DateTexts::isGeneralDate(text, moment.date(), moment.time()));
    for (const QDateTime& other : {moment.addSecs(1), moment.addDays(1), moment.addSecs(12 * 3600)})
        QVERIFY(!DateTexts::isGeneralDate(text, other.date(), other.time()));
    QVERIFY(!DateTexts::isGeneralDate(text + ' ', moment.date(), moment.time()));
    QVERIFY(!text.endsWith(' '));
}

void TestDateTexts::generalDateReadsBack_data()
{
    addLocales();
}

void TestDateTexts::generalDateReadsBack()
{
    QFETCH(QString, localeName);
    DateTexts::setLocaleForTesting(QLocale(localeName));
    for (const QDateTime& moment :
         {QDateTime(QDate(2026, 6, 12), QTime(15, 10, 44, 250)), QDateTime(QDate(1901, 12, 14), QTime(0, 0, 1)),
          QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), QDateTime(QDate(2000, 1, 1), QTime(12, 0)),
          QDateTime(QDate(2038, 1, 19), QTime(3, 14, 8)), QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59))}) {
        const QString text = DateTexts::generalDate(moment.date(), moment.time());
        const auto read = DateTexts::parseGeneralDate(text);
        QVERIFY2(read, qPrintable(text));
        QCOMPARE(read->date(), moment.date());
        QCOMPARE(read->time(), QTime(moment.time().hour(), moment.time().minute(), moment.time().second()));
    }
    QVERIFY(!DateTexts::parseGeneralDate(QStringLiteral("yesterday")));
    QVERIFY(!DateTexts::parseGeneralDate(QString()));
}

void TestDateTexts::countsMidnights_data()
{
    QTest::addColumn<QStringList>("zones"); // one per case in turn, so that the zone also changes while running
    QTest::newRow("UTC") << QStringList{"UTC"};
    QTest::newRow("New York") << QStringList{"America/New_York"};
    QTest::newRow("Lord Howe, half an hour of summer time") << QStringList{"Australia/Lord_Howe"};
    QTest::newRow("Kathmandu, a quarter hour") << QStringList{"Asia/Kathmandu"};
    QTest::newRow("Apia, a day left out") << QStringList{"Pacific/Apia"};
    QTest::newRow("St. John's") << QStringList{"America/St_Johns"};
    QTest::newRow("the zone changes") << QStringList{"Europe/Berlin", "Pacific/Kiritimati", "Etc/GMT+12",
                                                     "Australia/Lord_Howe", "UTC"};
}

void TestDateTexts::countsMidnights()
{
    QFETCH(QStringList, zones);
    QRandomGenerator random(31);
    const auto secs = [](int year) { return QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch(); };
    // The moments at which the zones' offsets change, for moments around them.
    QList<qint64> changes;
    for (const QString& zone : zones) {
        for (const auto& change : QTimeZone(zone.toLatin1())
                                      .transitions(QDateTime::fromSecsSinceEpoch(secs(2010), Qt::UTC),
                                                   QDateTime::fromSecsSinceEpoch(secs(2030), Qt::UTC)))
            changes << change.atUtc.toSecsSinceEpoch();
    }
    for (int n = 0; n < 3000 && !QTest::currentTestFailed(); ++n) {
        const QByteArray zone = zones[n % zones.size()].toLatin1();
        qputenv("TZ", zone);
        FileStamp::refreshZone();
        const QTimeZone reference(zone);
        // Two moments near each other, a change of offset or a midnight; now and then far apart.
        const qint64 around = changes.isEmpty() || random.bounded(3) == 0
                                  ? secs(1990) + qint64(random.bounded(quint64(secs(2060) - secs(1990))))
                                  : changes[random.bounded(int(changes.size()))];
        const auto close = [&](qint64 from) {
            const qint64 spread = random.bounded(2) ? 3 * 86400 : 7200;
            return from - spread + qint64(random.bounded(quint64(2 * spread + 1)));
        };
        const qint64 now = close(around);
        // Now and then a file more than 16 bits of days away, either way.
        const qint64 far = 86400 * qint64(random.bounded(32770, 60000)) * (random.bounded(2) ? 1 : -1);
        const qint64 then = random.bounded(8) ? close(around) : now + far;
        const int expected = int(qBound(qint64(-32768),
                                        QDateTime::fromSecsSinceEpoch(then, reference)
                                            .date()
                                            .daysTo(QDateTime::fromSecsSinceEpoch(now, reference).date()),
                                        qint64(32767)));
        // Given at any offset: only the moment counts.
        const int offsetA = 900 * int(random.bounded(-48, 57));
        const int offsetB = 900 * int(random.bounded(-48, 57));
        const QString what = QString::fromLatin1(zone) + QLatin1Char(' ') + QString::number(then) + QLatin1Char(' ') +
                             QString::number(now);
        QVERIFY2(DateTexts::ageInDays(QDateTime::fromSecsSinceEpoch(then, Qt::OffsetFromUTC, offsetA),
                                      QDateTime::fromSecsSinceEpoch(now, Qt::OffsetFromUTC, offsetB)) == expected,
                 qPrintable(what));
        // As the check counts it: the file's local date, against today's.
        FileAnswer answer;
        answer.state = FileAnswer::State::Found;
        answer.regular = true;
        answer.mtimeSec = then;
        const auto stamp = FileStamp::modified(answer);
        QVERIFY2(stamp, qPrintable(what));
        QVERIFY2(DateTexts::ageInDays(stamp->date, QDateTime::fromSecsSinceEpoch(now, reference).date()) == expected,
                 qPrintable(what));
    }
}

QTEST_GUILESS_MAIN(TestDateTexts)
#include "tst_datetexts.moc"
