#include "TestHelpers.h"
#include "engine/CheckReport.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/FileStamp.h"
#include "engine/ReportFormat.h"
#include "engine/WatchListCheck.h"
#include "store/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

using namespace TestHelpers;

namespace {

// Summer time, given in POSIX form so that no zone database is needed, and a clock in it that has
// files on both sides of a change of offset.
const char kZone[] = "CET-1CEST,M3.5.0,M10.5.0/3";
const QDateTime kNow(QDate(2026, 11, 3), QTime(9, 41, 7, 250));
// Where the temporary folder's own path stood, so that the reports read the same on every run.
const QByteArray kFolder = "@FOLDER@";

} // namespace

// Every report of two watch lists, byte for byte as they were when these files were written: a
// faster renderer or walk must not change a single one. STALEGUARD_WRITE_GOLDEN=1 writes them anew.
class TestGoldenReports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void reportsAsBefore_data();
    void reportsAsBefore();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void aged(const QString& name, qint64 secondsBack, int bytes = 0) const;
    QByteArray mixedList() const;

    QTemporaryDir m_dir;
};

void TestGoldenReports::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("TZ", kZone);
    FileStamp::refreshZone();
    Clock::setMock(kNow);
    DateTexts::setLocaleForTesting(QLocale(QLocale::English, QLocale::UnitedStates));
    writeAll(path("mixed.ini"), mixedList());
    writeAll(path("empty.ini"), "[Settings]\nClose on Start=true\n");
}

void TestGoldenReports::cleanupTestCase()
{
    Clock::reset();
    DateTexts::resetLocaleForTesting();
}

void TestGoldenReports::aged(const QString& name, qint64 secondsBack, int bytes) const
{
    writeAll(path(name), QByteArray(bytes, 'x'));
    // Through the system call, which unlike QFile takes a moment before the epoch too.
    const qint64 msecs = kNow.toMSecsSinceEpoch() - secondsBack * 1000 + secondsBack % 7 * 111;
    const timespec moment{time_t(msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0)),
                          long((msecs % 1000 + 1000) % 1000) * 1000000};
    const timespec times[2] = {moment, moment};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path(name)).constData(), times, 0), 0);
}

QByteArray TestGoldenReports::mixedList() const
{
    QDir(m_dir.path()).mkpath("logs");
    const qint64 day = 86400;
    aged("old.tar", 40 * day + 3600);
    aged("fresh.txt", 0, 12);
    aged("summer.doc", 200 * day);
    aged("small.bak", day, 10);
    aged("seen.xls", 3 * day);
    aged(QString::fromUtf8("Grüße \"quoted\" \\ |pipe|.txt"), 9 * day);
    aged("ancient.txt", 22000 * day + 1);
    aged("logs/a.log", 20 * day);
    aged("logs/b.log", 2 * day);
    aged("logs/c.txt", 5 * day);
    QFile::link(path("loop-b"), path("loop-a"));
    QFile::link(path("loop-a"), path("loop-b"));
    const QString seen = DateTexts::generalDate(kNow.addSecs(-3 * day).addMSecs(3 * day % 7 * 111));
    const auto entry = [this](int n, const QString& file, const QByteArray& keys) {
        return entrySection(n, path(file), QString()) + keys + '\n';
    };
    const QByteArray longText = QByteArray("A description far longer than any row would want, ").repeated(6);
    return "\xEF\xBB\xBF[Settings]\nClose on Start=true\n" + entry(0, "old.tar", "description=Nightly backup\ndays=5") +
           entry(1, "fresh.txt", "description=Fresh notes\ndays=5\nsmallest size=10") +
           entry(2, "summer.doc", "description=\"  Summer report \"\ndays=400") +
           entry(3, "small.bak", "description=Tiny backups\ndays=30\nsmallest size=1 KB") +
           entry(4, "seen.xls",
                 "description=Seen before\ndays=30\nadvisechanges=true\nlast date changed=" + seen.toUtf8()) +
           entry(5, "fresh.txt", "description=Changed since\ndays=30\nadvisechanges=true\nlast date changed=garbage") +
           entry(6, "gone.pdf", "description=Tax forms\ndays=5") +
           entry(7, "loop-a", "description=Behind a loop\ndays=5") +
           entry(8, "old.tar", "description=Put off\ndays=1\nPostponedate=2099-01-01") +
           entry(9, "old.tar", "description=Put off until yesterday\ndays=1\nPostponedate=2026-11-02") +
           entry(10, "old.tar", "description=Retired\ndays=1\nNotactive=TRUE") +
           entry(11, "logs/picked.log",
                 "description=Newest of many logs in the folder of logs\ndays=7\n"
                 "non-fixed file type=1") +
           entry(12, "logs/picked.log", "description=Oldest log\ndays=7\nnon-fixed file type=0\nfile pattern=*.log") +
           entry(13, QString::fromUtf8("Grüße \"quoted\" \\ |pipe|.txt"),
                 "description=Caf\xE9 \"quoted\" back\\slash |pipe| tab\there ctl\x01\x1F\x7F end\ndays=3") +
           entry(14, "old.tar", "description=" + longText + "\ndays=2") + entry(15, "old.tar", "days=2") +
           entry(16, "fresh.txt", "description=Empty days\ndays=") +
           entry(17, "old.tar", "description=A day\ndays=-3") +
           entry(18, "ancient.txt", "description=Before the epoch\ndays=7") +
           "[file 19]\nfilename=\ndescription=After the end\n[file 20]\nfilename=" + path("old.tar").toUtf8() +
           "\ndescription=Never read\ndays=1\n";
}

void TestGoldenReports::reportsAsBefore_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("showAll");
    for (const QString& list : QStringList{"mixed", "empty"}) {
        for (const QString& name : ReportFormat::names()) {
            for (const bool showAll : {false, true}) {
                if (showAll && list == "empty")
                    continue;
                QTest::addRow("%s-%s%s", qPrintable(list), qPrintable(name), showAll ? "-all" : "")
                    << list << name << showAll;
            }
        }
    }
}

void TestGoldenReports::reportsAsBefore()
{
    QFETCH(QString, list);
    QFETCH(QString, format);
    QFETCH(bool, showAll);
    CheckReport report = WatchListCheck::run(IniFile::instance(), path(list + ".ini"), showAll);
    // The one figure that differs from run to run.
    report.durationSeconds = 0.0625;
    const QByteArray rendered = ReportFormat::render(*ReportFormat::fromName(format), report)
                                    .replace(QDir(m_dir.path()).path().toUtf8(), kFolder);
    const QString golden = qEnvironmentVariable("STALEGUARD_SOURCE_DIR") + "/tests/cli/golden/" +
                           QString::fromLatin1(QTest::currentDataTag());
    if (qEnvironmentVariableIntValue("STALEGUARD_WRITE_GOLDEN"))
        writeAll(golden, rendered);
    QCOMPARE(rendered, readAll(golden));

    // Handed on in pieces the bytes are the same, wherever the pieces break.
    for (const qsizetype piece : {qsizetype(1), qsizetype(100), ReportWriter::kPiece}) {
        QByteArray streamed;
        QVERIFY(ReportFormat::write(
            *ReportFormat::fromName(format), report,
            [&](QByteArrayView bytes) {
                streamed += bytes;
                return true;
            },
            piece));
        QCOMPARE(streamed.replace(QDir(m_dir.path()).path().toUtf8(), kFolder), rendered);
    }
    // A sink that refuses a piece is told so at the end, and is not asked again; an empty report
    // asks nothing of it.
    int offered = 0;
    const bool taken = ReportFormat::write(
        *ReportFormat::fromName(format), report,
        [&](QByteArrayView) {
            ++offered;
            return false;
        },
        1);
    QCOMPARE(taken, rendered.isEmpty());
    QCOMPARE(offered, rendered.isEmpty() ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestGoldenReports)
#include "tst_goldenreports.moc"
