#include "engine/EntryChecker.h"
#include "engine/MissingFileQuestion.h"

#include "TestHelpers.h"
#include "WatchListFolder.h"
#include "base/AppError.h"
#include "engine/CheckRun.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/FileQuery.h"
#include "engine/FileStamp.h"
#include "store/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using TestHelpers::entrySection;

namespace {

const QDateTime kNow(QDate(2026, 6, 15), QTime(12, 0));

} // namespace

class TestEntryChecker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void rowRules_data();
    void rowRules();
    void tooSmall_data();
    void tooSmall();
    void postponedUntilTodayFromMidnight();
    void missingFileAnsweredNoThenYes();
    void fileBackWhileTheQuestionWaitsIsNotAskedAbout();
    void walkEndsAtTheFirstEntryWithoutFileName();
    void rowMapFollowsTheRows();
    void folderEntriesTakeTheirChosenFile();
    void placeShown_data();
    void placeShown();
    void emptyFolderIsAskedAboutAsMissing();
    void entryWithoutFileNameIsNotAskedAbout();
    void seenDateOutlivesLocaleAndZone_data();
    void seenDateOutlivesLocaleAndZone();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<WatchListFolder> m_dir;
    QByteArray m_zone = qgetenv("TZ");
};

void TestEntryChecker::initTestCase()
{
    Clock::setMock(kNow);
}

void TestEntryChecker::cleanupTestCase()
{
    Clock::reset();
}

void TestEntryChecker::cleanup()
{
    DateTexts::resetLocaleForTesting();
    TestHelpers::restoreZone(m_zone);
}

void TestEntryChecker::init()
{
    Clock::setMock(kNow);
    m_dir = std::make_unique<WatchListFolder>();
    QVERIFY(m_dir->isValid());
}

void TestEntryChecker::rowRules_data()
{
    QTest::addColumn<QDateTime>("modified");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("showAll");
    QTest::addColumn<QStringList>("expected");

    const QDate today = kNow.date();
    const QDateTime weekAgo = kNow.addDays(-7);
    const QString seenLongAgo = "last date changed=" + DateTexts::generalDate(kNow.addYears(-1));
    const QString memo = "description=Memo\n";

    QTest::newRow("exactly as old as days") << weekAgo << memo + "days=7" << false << QStringList{"Memo is 7 days old"};
    QTest::newRow("a day younger") << weekAgo << memo + "days=8" << false << QStringList{};
    QTest::newRow("one midnight ago: day old") << QDateTime(today.addDays(-1), QTime(23, 59, 59)) << memo + "days=1"
                                               << false << QStringList{"Memo is 1 day old"};
    QTest::newRow("since midnight: no midnight yet")
        << QDateTime(today, QTime(0, 0)) << memo + "days=1" << false << QStringList{};
    QTest::newRow("fresh under show all") << kNow << memo + "days=5" << true << QStringList{"Memo is 0 days old"};
    QTest::newRow("future is young") << kNow.addDays(2) << memo + "days=0" << false << QStringList{};
    QTest::newRow("future under show all")
        << kNow.addDays(2) << memo + "days=0" << true << QStringList{"Memo is -2 days old"};
    QTest::newRow("ends in s") << weekAgo << "description=Tax forms\ndays=3" << false
                               << QStringList{"Tax forms are 7 days old"};
    QTest::newRow("ends in S") << weekAgo << "description=BACKUPS\ndays=3" << false
                               << QStringList{"BACKUPS is 7 days old"};
    QTest::newRow("no days: zero") << kNow << memo << false << QStringList{"Memo is 0 days old"};
    QTest::newRow("days out of range") << kNow.addYears(-5) << memo + "days=99999999999" << false << QStringList{};
    QTest::newRow("days with fraction") << weekAgo << memo + "days=7.5" << false << QStringList{};
    QTest::newRow("fixed entry's long description stays whole")
        << weekAgo << "description=" + QString(40, 'x') + "\ndays=1" << false
        << QStringList{QString(40, 'x') + " is 7 days old"};

    QTest::newRow("removed") << weekAgo << memo + "Notactive=TRUE" << true << QStringList{};
    QTest::newRow("active") << weekAgo << memo + "Notactive=false" << false << QStringList{"Memo is 7 days old"};
    QTest::newRow("empty description") << weekAgo << "days=0" << true << QStringList{};

    QTest::newRow("postponed until tomorrow")
        << weekAgo << memo + "Postponedate=" + DateTexts::shortDate(today.addDays(1)) << false << QStringList{};
    QTest::newRow("postponed, show all") << weekAgo << memo + "Postponedate=" + DateTexts::shortDate(today.addDays(1))
                                         << true << QStringList{"Memo is 7 days old"};
    QTest::newRow("postponed until today") << weekAgo << memo + "Postponedate=" + DateTexts::shortDate(today) << false
                                           << QStringList{"Memo is 7 days old"};
    QTest::newRow("postponed in ISO form")
        << weekAgo << memo + "Postponedate=" + today.addDays(30).toString(Qt::ISODate) << false << QStringList{};
    QTest::newRow("postpone date unreadable")
        << weekAgo << memo + "Postponedate=next week" << false << QStringList{"Memo is 7 days old"};
    QTest::newRow("postponed and removed, show all")
        << weekAgo << memo + "Notactive=true\nPostponedate=" + DateTexts::shortDate(today.addDays(1)) << true
        << QStringList{};

    QTest::newRow("changed") << kNow.addDays(-1) << memo + "days=30\nadvisechanges=true\n" + seenLongAgo << false
                             << QStringList{"Memo has changed"};
    QTest::newRow("old and changed: only changed")
        << weekAgo << memo + "days=5\nadvisechanges=true\n" + seenLongAgo << false << QStringList{"Memo has changed"};
    QTest::newRow("advise in capitals does not count here")
        << weekAgo << memo + "days=30\nadvisechanges=TRUE\n" + seenLongAgo << false << QStringList{};
    QTest::newRow("advise off") << weekAgo << memo + "days=30\nadvisechanges=false\n" + seenLongAgo << false
                                << QStringList{};
    QTest::newRow("advise with nothing seen yet")
        << weekAgo << memo + "days=30\nadvisechanges=true" << false << QStringList{};
    QTest::newRow("seen what is there") << weekAgo
                                        << memo + "days=30\nadvisechanges=true\nlast date changed=" +
                                               DateTexts::generalDate(weekAgo)
                                        << false << QStringList{};
}

void TestEntryChecker::rowRules()
{
    QFETCH(QDateTime, modified);
    QFETCH(QString, keys);
    QFETCH(bool, showAll);
    QFETCH(QStringList, expected);

    TestHelpers::touch(path("watched"), modified);
    TestHelpers::writeAll(m_dir->iniPath(), entrySection(0, path("watched"), keys));
    const auto result = m_dir->check(showAll);
    QCOMPARE(TestHelpers::rowTexts(result.rows), expected);
    for (const CheckRow& row : result.rows)
        QCOMPARE(row.entry, qint16(0));
    QVERIFY(m_dir->question.asked.isEmpty());
}

void TestEntryChecker::tooSmall_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("showAll");
    QTest::addColumn<QStringList>("expected");
    const QString backup = "description=Backup\ndays=5\n";
    const QString seenLongAgo = "advisechanges=true\nlast date changed=" + DateTexts::generalDate(kNow.addYears(-1));
    QTest::newRow("at the size") << 1024 << backup + "smallest size=1K" << false << QStringList{};
    QTest::newRow("a byte less") << 1023 << backup + "smallest size=1k" << false
                                 << QStringList{"Backup is only 1023 bytes"};
    QTest::newRow("empty, in megabytes") << 0 << backup + "smallest size= 2 M" << false
                                         << QStringList{"Backup is only 0 bytes"};
    QTest::newRow("beyond 16 bits") << 99999 << backup + "smallest size=100000" << false
                                    << QStringList{"Backup is only 97 K"};
    QTest::newRow("ends in s") << 12 * 1024 << "description=Backups\ndays=5\nsmallest size=1G" << false
                               << QStringList{"Backups are only 12 K"};
    QTest::newRow("small rather than 0 days old")
        << 0 << backup + "smallest size=1" << true << QStringList{"Backup is only 0 bytes"};
    QTest::newRow("no size test") << 0 << backup + "smallest size=none" << false << QStringList{};
    QTest::newRow("old wins") << 0 << "description=Backup\ndays=0\nsmallest size=1" << false
                              << QStringList{"Backup is 0 days old"};
    QTest::newRow("changed wins") << 0 << backup + "smallest size=1\n" + seenLongAgo << false
                                  << QStringList{"Backup has changed"};
}

void TestEntryChecker::tooSmall()
{
    QFETCH(int, bytes);
    QFETCH(QString, keys);
    QFETCH(bool, showAll);
    QFETCH(QStringList, expected);
    TestHelpers::writeAll(path("watched"), QByteArray(bytes, 'x'));
    TestHelpers::touch(path("watched"), kNow);
    TestHelpers::writeAll(m_dir->iniPath(), entrySection(0, path("watched"), keys));
    QCOMPARE(TestHelpers::rowTexts(m_dir->check(showAll).rows), expected);
}

void TestEntryChecker::postponedUntilTodayFromMidnight()
{
    TestHelpers::touch(path("watched"), kNow.addDays(-3));
    TestHelpers::writeAll(
        m_dir->iniPath(),
        entrySection(0, path("watched"), "description=Memo\nPostponedate=" + DateTexts::shortDate(kNow.date())));
    Clock::setMock(QDateTime(kNow.date().addDays(-1), QTime(23, 59, 59)));
    QCOMPARE(m_dir->check().rows.size(), 0);
    Clock::setMock(QDateTime(kNow.date(), QTime(0, 0)));
    QCOMPARE(m_dir->check().rows.size(), 1);
}

void TestEntryChecker::missingFileAnsweredNoThenYes()
{
    TestHelpers::writeAll(m_dir->iniPath(), entrySection(0, path("gone.doc"), "description=Report\ndays=0"));
    const QString question = MissingFileQuestion::text(path("gone.doc"));
    QVERIFY(question.startsWith("The following file no longer exist's"));
    QVERIFY(question.contains(path("gone.doc")));

    m_dir->question.answers.append(false);
    QCOMPARE(m_dir->check(true).rows.size(), 0);
    QCOMPARE(m_dir->question.asked.size(), 1);
    QCOMPARE(m_dir->question.asked.first(), path("gone.doc"));
    QCOMPARE(m_dir->stored(0, "Notactive"), QString("<none>"));

    // Asked again at the next check, until the answer is Yes.
    m_dir->question.answers.append(true);
    QCOMPARE(m_dir->check(true).rows.size(), 0);
    QCOMPARE(m_dir->question.asked.size(), 2);
    QCOMPARE(m_dir->stored(0, "Notactive"), QString("true"));

    QCOMPARE(m_dir->check(true).rows.size(), 0);
    QCOMPARE(m_dir->question.asked.size(), 2);
}

void TestEntryChecker::fileBackWhileTheQuestionWaitsIsNotAskedAbout()
{
    // The user restores the next file while the question about the first is open.
    struct Restoring : MissingFileQuestion
    {
        QString restore;
        int asked = 0;
        bool removeEntry(const QString&) override
        {
            TestHelpers::touch(restore, kNow.addDays(-10));
            return ++asked > 1;
        }
    } question;
    question.restore = path("later.doc");
    const QString keys = "description=Report\ndays=2";
    TestHelpers::writeAll(m_dir->iniPath(),
                          entrySection(0, path("gone.doc"), keys) + entrySection(1, path("later.doc"), keys));
    IniFile& ini = IniFile::instance();
    const auto result = m_dir->checkOnly();
    FileQuery files;
    CheckRun::askAboutGone(ini, m_dir->iniPath(), result.gone, files, question, {});
    QCOMPARE(question.asked, 1);
    QCOMPARE(m_dir->stored(1, "Notactive"), QString("<none>"));
    QCOMPARE(m_dir->check().rows.size(), 1);
}

void TestEntryChecker::walkEndsAtTheFirstEntryWithoutFileName()
{
    TestHelpers::touch(path("old"), kNow.addDays(-10));
    const QString keys = "description=Memo\ndays=1";
    TestHelpers::writeAll(m_dir->iniPath(),
                          entrySection(0, path("old"), keys) + entrySection(1, path("old"), keys + "\nNotactive=true") +
                              entrySection(2, path("old"), keys) + entrySection(4, path("old"), keys));
    int examined = 0;
    const auto result = m_dir->checkOnly(false, [&examined] { ++examined; });
    QCOMPARE(result.rows.size(), 2);
    QCOMPARE(result.rows[0].entry, qint16(0));
    QCOMPARE(result.rows[1].entry, qint16(2));
    QCOMPARE(examined, 4);
    QCOMPARE(result.lastEntry, qint16(4));
    QCOMPARE(result.watched, 2);
}

void TestEntryChecker::rowMapFollowsTheRows()
{
    TestHelpers::touch(path("old"), kNow.addDays(-10));
    TestHelpers::touch(path("new"), kNow);
    const QString keys = "description=Memo\ndays=2";
    TestHelpers::writeAll(m_dir->iniPath(), entrySection(0, path("new"), keys) + entrySection(1, path("old"), keys) +
                                                entrySection(2, path("old"), keys));
    // A map left by an earlier, longer list must not survive.
    TestHelpers::writeAll(m_dir->rowMapPath(), "[tempfile 0]\nrealnumber=9\n[tempfile 5]\nrealnumber=9\n");
    IniFile& ini = IniFile::instance();

    const auto rows = m_dir->check().rows;
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].place, path("old"));
    const auto mapped = [&](int row) {
        return ini.ReadString(QStringLiteral("tempfile %1").arg(row), QStringLiteral("realnumber"), m_dir->rowMapPath(),
                              {});
    };
    QCOMPARE(mapped(0), QStringLiteral("1"));
    QCOMPARE(mapped(1), QStringLiteral("2"));
    QCOMPARE(mapped(5), QString());

    TestHelpers::touch(path("old"), kNow);
    QCOMPARE(m_dir->check().rows.size(), 0);
    QVERIFY(!QFile::exists(m_dir->rowMapPath()));

    // Rows acted on through a map that could not be written would change other entries.
    TestHelpers::touch(path("old"), kNow.addDays(-10));
    QVERIFY(QDir().mkdir(m_dir->rowMapPath()));
    QVERIFY_THROWS_EXCEPTION(AppError, m_dir->check());
}

void TestEntryChecker::folderEntriesTakeTheirChosenFile()
{
    QVERIFY(QDir(m_dir->path()).mkdir("logs"));
    TestHelpers::touch(path("logs/oldest.log"), kNow.addDays(-20));
    TestHelpers::touch(path("logs/newest.log"), kNow.addDays(-4));
    const QString longName = QString(30, 'L') + "abcdefghij";
    const QString stale = path("logs/removed-long-ago.log");
    TestHelpers::writeAll(m_dir->iniPath(),
                          entrySection(0, stale, "description=Newest\ndays=3\nnon-fixed file type=1") +
                              entrySection(1, stale, "description=Oldest\ndays=3\nnon-fixed file type=0") +
                              entrySection(2, stale, "description=" + longName + "\nnon-fixed file type=5") +
                              entrySection(3, stale, "description=Hidden\nnon-fixed file type=1\nNotactive=true"));
    const auto result = m_dir->check();
    QCOMPARE(TestHelpers::rowTexts(result.rows),
             (QStringList{"Newest is 4 days old", "Oldest is 20 days old", longName.left(35) + " is 4 days old"}));
    QCOMPARE(m_dir->stored(0, "filename"), path("logs/newest.log"));
    QCOMPARE(m_dir->stored(1, "filename"), path("logs/oldest.log"));
    QCOMPARE(result.rows[0].place, path("logs/newest.log"));
    QCOMPARE(result.rows[1].place, path("logs/oldest.log"));
    QCOMPARE(m_dir->stored(2, "filename"), path("logs/newest.log"));
    // Chosen even for an entry the check then leaves out.
    QCOMPARE(m_dir->stored(3, "filename"), path("logs/newest.log"));
    QCOMPARE(m_dir->stored(0, "description"), QString("Newest"));
    QCOMPARE(m_dir->stored(2, "description"), longName);
}

void TestEntryChecker::placeShown_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("place");
    QTest::newRow("fixed file") << "/srv/back ups/night.tar" << true << "/srv/back ups/night.tar";
    QTest::newRow("folder pick") << "/srv/logs/2026-06-15.log" << true << "/srv/logs/2026-06-15.log";
    QTest::newRow("missing") << "/srv/Nächte/état.tar" << false << "/srv/Nächte/";
    QTest::newRow("empty folder's pick") << "/srv/logs/" << false << "/srv/logs/";
}

// A file the check could not find or reach is shown as the folder it should be in.
void TestEntryChecker::placeShown()
{
    QFETCH(QString, fileName);
    QFETCH(bool, found);
    QFETCH(QString, place);
    QCOMPARE(EntryChecker::placeOf(fileName, found), place);
}

void TestEntryChecker::emptyFolderIsAskedAboutAsMissing()
{
    QVERIFY(QDir(m_dir->path()).mkdir("empty"));
    TestHelpers::writeAll(m_dir->iniPath(), entrySection(0, path("empty/was-here.txt"),
                                                         "description=Drop\nnon-fixed file type=1\ndays=0"));
    m_dir->question.answers.append(false);
    QCOMPARE(m_dir->check().rows.size(), 0);
    const QString folder = path("empty") + QDir::separator();
    QCOMPARE(m_dir->stored(0, "filename"), folder);
    QCOMPARE(m_dir->question.asked.size(), 1);
    QVERIFY(m_dir->question.asked.first().contains(folder));
}

void TestEntryChecker::entryWithoutFileNameIsNotAskedAbout()
{
    TestHelpers::touch(path("old"), kNow.addDays(-10));
    TestHelpers::writeAll(m_dir->iniPath(), entrySection(0, "", "description=Nameless\ndays=0") +
                                                entrySection(1, path("old"), "description=Memo\ndays=1"));
    m_dir->question.answers.append(true);
    const auto result = m_dir->check(true);
    QVERIFY(m_dir->question.asked.isEmpty());
    QCOMPARE(m_dir->stored(0, "Notactive"), QString("<none>"));
    // It still ends the walk.
    QVERIFY(result.rows.isEmpty());
    QCOMPARE(result.lastEntry, qint16(1));
}

void TestEntryChecker::seenDateOutlivesLocaleAndZone_data()
{
    QTest::addColumn<QString>("localeBefore");
    QTest::addColumn<QString>("localeAfter");
    QTest::addColumn<QByteArray>("zoneBefore");
    QTest::addColumn<QByteArray>("zoneAfter");
    QTest::addColumn<QString>("storedAs"); // "written", "two-digit year" or "text only"
    QTest::addColumn<int>("touchedLater"); // seconds the file changed after it was seen
    QTest::addColumn<bool>("changed");

    const QByteArray berlin("CET-1CEST,M3.5.0,M10.5.0/3");
    const QByteArray newYork("EST5EDT,M3.2.0,M11.1.0");
    QTest::newRow("locale changed") << "en_US"
                                    << "de_DE" << berlin << berlin << "written" << 0 << false;
    QTest::newRow("zone changed") << "de_DE"
                                  << "de_DE" << berlin << newYork << "written" << 0 << false;
    QTest::newRow("both changed") << "en_US"
                                  << "de_DE" << newYork << berlin << "written" << 0 << false;
    QTest::newRow("both changed, file touched") << "en_US"
                                                << "de_DE" << newYork << berlin << "written" << 1 << true;
    QTest::newRow("zone changed, touched by the zones' distance")
        << "de_DE"
        << "de_DE" << berlin << newYork << "written" << 6 * 3600 << true;
    QTest::newRow("text alone, in the locale's other form")
        << "en_US"
        << "en_US" << berlin << berlin << "two-digit year" << 0 << false;
    QTest::newRow("text alone, ISO") << "sv_SE"
                                     << "en_US" << berlin << berlin << "text only" << 0 << false;
    QTest::newRow("zone changed from the furthest ahead to the furthest behind")
        << "en_US"
        << "en_US" << QByteArray("<+14>-14") << QByteArray("<-12>12") << "written" << 0 << false;
    QTest::newRow("text alone, touched") << "sv_SE"
                                         << "en_US" << berlin << berlin << "text only" << 1 << true;
}

void TestEntryChecker::seenDateOutlivesLocaleAndZone()
{
    QFETCH(QString, localeBefore);
    QFETCH(QString, localeAfter);
    QFETCH(QByteArray, zoneBefore);
    QFETCH(QByteArray, zoneAfter);
    QFETCH(QString, storedAs);
    QFETCH(int, touchedLater);
    QFETCH(bool, changed);

    // One moment whatever the zone: a local time would move with it.
    const QDateTime seenAt = QDateTime(kNow.date().addDays(-2), QTime(15, 10, 44, 321), Qt::UTC);
    TestHelpers::touch(path("watched"), seenAt);
    qputenv("TZ", zoneBefore);
    FileStamp::refreshZone();
    DateTexts::setLocaleForTesting(QLocale(localeBefore));
    const auto seen = FileStamp::modified(FileQuery().stat(path("watched")));
    QVERIFY(seen);
    QString keys = "description=Memo\ndays=30\nadvisechanges=true\nlast date changed=";
    if (storedAs == "two-digit year")
        keys += QLocale(localeBefore).toString(QDateTime(seen->date, seen->time), "M/d/yy h:mm:ss AP");
    else
        keys += FileStamp::changeText(*seen);
    if (storedAs == "written")
        keys += "\nlast date changed utc=" + FileStamp::changeMoment(*seen);
    TestHelpers::writeAll(m_dir->iniPath(), entrySection(0, path("watched"), keys));
    TestHelpers::touch(path("watched"), seenAt.addSecs(touchedLater));

    qputenv("TZ", zoneAfter);
    DateTexts::setLocaleForTesting(QLocale(localeAfter));
    QCOMPARE(TestHelpers::rowTexts(m_dir->check().rows), changed ? QStringList{"Memo has changed"} : QStringList{});
}

QTEST_GUILESS_MAIN(TestEntryChecker)
#include "tst_entrychecker.moc"
