#include "engine/FileStamp.h"

#include "TestHelpers.h"
#include "engine/DateTexts.h"

#include <QRandomGenerator>
#include <QTest>
#include <ctime>
#include <limits>

// A file's date as the C library reads it in the zone, and its stored text read back in the locale.
class TestFileStamp : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void readsAsTheZoneDoes_data();
    void readsAsTheZoneDoes();

private:
    QByteArray m_zone = qgetenv("TZ");
};

namespace {

std::optional<FileStamp::Local> modifiedAt(qint64 secs)
{
    FileQuery::Answer answer;
    answer.state = FileQuery::Answer::State::Found;
    answer.regular = true;
    answer.mtimeSec = secs;
    answer.mtimeNsec = 999999999;
    return FileStamp::modified(answer);
}

qint64 utcSeconds(int year)
{
    return QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
}

} // namespace

void TestFileStamp::cleanup()
{
    DateTexts::resetLocaleForTesting();
    TestHelpers::restoreZone(m_zone);
}

void TestFileStamp::readsAsTheZoneDoes_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("localeName");
    // Summer time by half an hour, a quarter-hour offset, a day left out, leap seconds, and rules
    // given in the variable itself; each with a locale of its own, twelve-hour clocks and other
    // digits among them.
    QTest::newRow("Lord Howe") << QByteArray("Australia/Lord_Howe") << "en_US";
    QTest::newRow("Kathmandu") << QByteArray("Asia/Kathmandu") << "de_DE";
    QTest::newRow("Apia") << QByteArray("Pacific/Apia") << "ja_JP";
    QTest::newRow("leap seconds") << QByteArray("right/Europe/Berlin") << "ar_EG";
    QTest::newRow("POSIX rule") << QByteArray("EST5EDT,M3.2.0,M11.1.0") << "en_GB";
}

void TestFileStamp::readsAsTheZoneDoes()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, localeName);
    qputenv("TZ", zone);
    FileStamp::refreshZone();
    DateTexts::setLocaleForTesting(QLocale(localeName));

    QList<qint64> moments;
    // Every few hours in the years of most files, the hours either side of a change included.
    for (qint64 secs = utcSeconds(2015); secs < utcSeconds(2027); secs += 4 * 3600 + 1747)
        moments.append(secs);
    // Around the first leap second, which a zone that counts them reads one second on from.
    const qint64 leap = QDateTime(QDate(1972, 7, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    for (qint64 secs = leap - 60; secs < leap + 60; ++secs)
        moments.append(secs);
    QRandomGenerator random(7);
    for (int n = 0; n < 2000; ++n)
        moments.append(utcSeconds(1901) + qint64(random.bounded(quint64(utcSeconds(9999) - utcSeconds(1901)))));

    for (int n = 0; n < moments.size() && !QTest::currentTestFailed(); ++n) {
        const qint64 secs = moments[n];
        const auto stamp = modifiedAt(secs);
        const time_t t = time_t(secs);
        struct tm local
        {
        };
        QVERIFY(stamp && localtime_r(&t, &local));
        QCOMPARE(stamp->date, QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
        QCOMPARE(stamp->time, QTime(local.tm_hour, local.tm_min, qMin(local.tm_sec, 59), 999));
        QCOMPARE(stamp->utcOffset, int(local.tm_gmtoff));
        QCOMPARE(stamp->utcSeconds, secs);
        // The stored text and moment name this file's date and no other; reading them back costs
        // more, so only some moments are read back.
        if (n % 16 == 0) {
            const QString text = FileStamp::changeText(*stamp);
            const QString moment = FileStamp::changeMoment(*stamp);
            QVERIFY2(!FileStamp::changedSince(text, moment, *stamp), qPrintable(text));
            QVERIFY2(!FileStamp::changedSince(text, QString(), *stamp), qPrintable(text));
            // A leap second reads as the second before it, and no text tells the two apart.
            const auto later = modifiedAt(secs + 1);
            if (later->time == stamp->time)
                continue;
            QVERIFY2(FileStamp::changedSince(text, moment, *later), qPrintable(text));
            QVERIFY2(FileStamp::changedSince(text, QString(), *later), qPrintable(text));
        }
    }
    // A date no zone can read is no date, and nothing overflows on the way.
    QVERIFY(!modifiedAt(std::numeric_limits<qint64>::max()));
}

QTEST_GUILESS_MAIN(TestFileStamp)
#include "tst_filestamp.moc"
