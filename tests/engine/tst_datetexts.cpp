#include "engine/DateTexts.h"

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
};

void TestDateTexts::cleanup()
{
    DateTexts::resetLocaleForTesting();
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
    QTest::addColumn<QDateTime>("then");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("expected");

    const QDate day(2026, 6, 15);
    QTest::newRow("same day") << QDateTime(day, QTime(0, 0)) << QDateTime(day, QTime(23, 59, 59)) << 0;
    QTest::newRow("a minute across midnight")
        << QDateTime(day.addDays(-1), QTime(23, 59, 30)) << QDateTime(day, QTime(0, 0, 30)) << 1;
    QTest::newRow("nearly two days, one midnight")
        << QDateTime(day.addDays(-1), QTime(0, 0, 1)) << QDateTime(day, QTime(23, 59)) << 1;
    QTest::newRow("future") << QDateTime(day.addDays(3), QTime(1, 0)) << QDateTime(day, QTime(12, 0)) << -3;
    QTest::newRow("clamped high") << QDateTime(QDate(1800, 1, 1), QTime(0, 0)) << QDateTime(day, QTime(0, 0)) << 32767;
    // A minute apart, given at the offsets furthest apart: two calendar days apart in their own zones.
    QTest::newRow("given at other offsets")
        << QDateTime(day, QTime(1, 0), Qt::OffsetFromUTC, 14 * 3600)
        << QDateTime(day.addDays(-2), QTime(23, 1), Qt::OffsetFromUTC, -12 * 3600) << 0;
    QTest::newRow("clamped low") << QDateTime(QDate(2300, 1, 1), QTime(0, 0)) << QDateTime(day, QTime(0, 0)) << -32768;
}

void TestDateTexts::countsMidnights()
{
    QFETCH(QDateTime, then);
    QFETCH(QDateTime, now);
    QFETCH(int, expected);
    QCOMPARE(int(DateTexts::ageInDays(then, now)), expected);
}

QTEST_GUILESS_MAIN(TestDateTexts)
#include "tst_datetexts.moc"
