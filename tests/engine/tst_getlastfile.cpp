#include "engine/FileQuery.h"
#include "engine/FileStamp.h"
#include "engine/getlastfile.h"

#include "TestHelpers.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <algorithm>

class TestGetLastFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tiesFollowTheListing_data();
    void tiesFollowTheListing();
    void trailingSeparatorMakesNoDifference();
    void foldersWithoutFiles_data();
    void foldersWithoutFiles();
    void hiddenFilesCountSubfoldersDoNot();
    void linksCountAsTheirTarget();
    void patternsChooseTheNames_data();
    void patternsChooseTheNames();
    void longPatternsStayCheap();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList listingOrder() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_zone = qgetenv("TZ");
};

void TestGetLastFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestGetLastFile::cleanup()
{
    if (m_zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", m_zone);
    FileStamp::refreshZone();
}

// The platform's listing order, which the tie rules follow.
QStringList TestGetLastFile::listingOrder() const
{
    QStringList names;
    QDirIterator it(m_dir->path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    return names;
}

void TestGetLastFile::tiesFollowTheListing_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDate>("from"); // times lie around the zone's first change of offset after this day
    // Whole minutes as the local clock shows them: hours that repeat, and offsets off the hour.
    QTest::newRow("UTC") << QByteArray("UTC") << QDate(2026, 1, 1);
    QTest::newRow("Berlin, an hour again") << QByteArray("Europe/Berlin") << QDate(2026, 7, 1);
    QTest::newRow("Berlin, an hour left out") << QByteArray("Europe/Berlin") << QDate(2026, 1, 1);
    QTest::newRow("Lord Howe, half an hour again") << QByteArray("Australia/Lord_Howe") << QDate(2026, 1, 1);
    QTest::newRow("Kathmandu") << QByteArray("Asia/Kathmandu") << QDate(2026, 1, 1);
}

void TestGetLastFile::tiesFollowTheListing()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDate, from);
    qputenv("TZ", zone);
    FileStamp::refreshZone();
    const QTimeZone local(zone);
    const QDateTime start(from, QTime(0, 0), Qt::UTC);
    const auto change = local.nextTransition(start);
    const qint64 around = (change.atUtc.isValid() ? change.atUtc : start).toSecsSinceEpoch();
    const QStringList names{"a", "b", "c", ".hidden", "d.log", "e"};
    QRandomGenerator random(41);
    for (int n = 0; n < 200 && !QTest::currentTestFailed(); ++n) {
        init();
        QMap<QString, qint64> times;
        for (int count = random.bounded(1, 6); count > 0; --count) {
            // A handful of seconds either side of a few minute boundaries, so that ties are common.
            const qint64 secs = around + 60 * random.bounded(-3, 3) + QList<int>{0, 1, 59, -1, 30}[random.bounded(5)] +
                                (random.bounded(2) ? 0 : 3600 * random.bounded(-1, 2));
            const QString name = names[random.bounded(int(names.size()))];
            times[name] = secs;
            TestHelpers::touch(path(name), QDateTime::fromSecsSinceEpoch(secs, Qt::UTC));
        }
        const auto minute = [&](const QString& name) {
            const QDateTime wall = QDateTime::fromSecsSinceEpoch(times[name], local);
            return QDateTime(wall.date(), wall.time(), Qt::UTC).toSecsSinceEpoch() / 60;
        };
        // Newest: the first listed of the latest minute; oldest: the last listed of the earliest.
        const QStringList order = listingOrder();
        QList<qint64> minutes;
        for (const QString& name : order)
            minutes << minute(name);
        const QString newest = order[minutes.indexOf(*std::max_element(minutes.begin(), minutes.end()))];
        const QString oldest = order[minutes.lastIndexOf(*std::min_element(minutes.begin(), minutes.end()))];
        QCOMPARE(getlastfile(m_dir->path(), true), path(newest));
        QCOMPARE(getlastfile(m_dir->path(), false), path(oldest));
    }
}

void TestGetLastFile::trailingSeparatorMakesNoDifference()
{
    const QDateTime now = QDateTime::currentDateTime();
    TestHelpers::touch(path("app-0611.log"), now.addDays(-1));
    TestHelpers::touch(path("app-0612.log"), now);
    TestHelpers::touch(path("app-0610.log"), now.addDays(-2));
    const QString withSeparator = m_dir->path() + QDir::separator();
    QCOMPARE(getlastfile(m_dir->path(), true), withSeparator + "app-0612.log");
    QCOMPARE(getlastfile(withSeparator, true), withSeparator + "app-0612.log");
    QCOMPARE(getlastfile(withSeparator, false), withSeparator + "app-0610.log");
    // No folder at all is not the root folder.
    QCOMPARE(getlastfile(QString(), true), QString());
}

void TestGetLastFile::foldersWithoutFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("empty") << "empty";
    QTest::newRow("only subfolders") << "subfolders";
    QTest::newRow("missing") << "missing";
    QTest::newRow("a file, not a folder") << "file";
}

void TestGetLastFile::foldersWithoutFiles()
{
    QFETCH(QString, kind);
    QString folder = m_dir->path();
    if (kind == "subfolders") {
        QVERIFY(QDir(folder).mkpath("sub/deeper"));
        TestHelpers::touch(path("sub/inner.txt"), QDateTime::currentDateTime());
    } else if (kind == "missing") {
        folder = path("gone");
    } else if (kind == "file") {
        TestHelpers::touch(path("plain"), QDateTime::currentDateTime());
        folder = path("plain");
    }
    QCOMPARE(getlastfile(folder, true), folder + QDir::separator());
    QCOMPARE(getlastfile(folder, false), folder + QDir::separator());
}

void TestGetLastFile::hiddenFilesCountSubfoldersDoNot()
{
    const QDateTime now = QDateTime::currentDateTime();
    TestHelpers::touch(path("visible"), now.addDays(-2));
    TestHelpers::touch(path(".hidden"), now.addDays(-1));
    QVERIFY(QDir(m_dir->path()).mkdir("newer-folder"));
    TestHelpers::touch(path("newer-folder/x"), now);
    QCOMPARE(getlastfile(m_dir->path(), true), path(".hidden"));
    QCOMPARE(getlastfile(m_dir->path(), false), path("visible"));
}

void TestGetLastFile::linksCountAsTheirTarget()
{
    QTemporaryDir elsewhere;
    const QDateTime now = QDateTime::currentDateTime();
    const QString target = elsewhere.filePath("target");
    TestHelpers::touch(target, now.addDays(-10));
    TestHelpers::touch(path("middle"), now.addDays(-5));
    QVERIFY(QFile::link(target, path("link-to-old")));
    QVERIFY(QFile::link(elsewhere.filePath("nothing"), path("dangling")));
    QVERIFY(QFile::link(elsewhere.path(), path("link-to-folder")));
    // The link itself is brand new; what it points to is the oldest.
    QCOMPARE(getlastfile(m_dir->path(), false), path("link-to-old"));
    QCOMPARE(getlastfile(m_dir->path(), true), path("middle"));
}

void TestGetLastFile::patternsChooseTheNames_data()
{
    // Files from the oldest to the newest; the pick is the newest the pattern takes.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected"); // "" for none: the folder as if empty
    const QStringList backupThenLog{"backup-0611.tar.gz", "backup-0612.tar.gz", "job.log"};
    QTest::newRow("a failed job's newer log") << backupThenLog << "*.tar.gz"
                                              << "backup-0612.tar.gz";
    QTest::newRow("no pattern") << backupThenLog << ""
                                << "job.log";
    QTest::newRow("blanks and separators only") << backupThenLog << " ; ;"
                                                << "job.log";
    QTest::newRow("letter case") << QStringList{"A.ZIP", "b.txt"} << "*.zip"
                                 << "A.ZIP";
    QTest::newRow("letter case beyond ASCII") << QStringList{"ÄRGER.ZIP", "b.txt"} << "ärger.*"
                                              << "ÄRGER.ZIP";
    QTest::newRow("several patterns") << QStringList{"a.zip", "b.7z", "c.txt"} << "*.zip; *.7z"
                                      << "b.7z";
    QTest::newRow("the whole name") << QStringList{"a.zip.part", "b.txt"} << "*.zip"
                                    << "";
    QTest::newRow("the whole name, without a star") << QStringList{"a.zip", "a.zip.part"} << "a.zip"
                                                    << "a.zip";
    QTest::newRow("one character") << QStringList{"db1.bak", "db12.bak"} << "db?.bak"
                                   << "db1.bak";
    QTest::newRow("brackets are plain") << QStringList{"[1].bak", "1.bak"} << "[1].bak"
                                        << "[1].bak";
    QTest::newRow("stars in a row") << QStringList{"x-y-z", "other"} << "x**-*z"
                                    << "x-y-z";
    QTest::newRow("nothing matches") << backupThenLog << "*.zip"
                                     << "";
}

void TestGetLastFile::patternsChooseTheNames()
{
    QFETCH(QStringList, files);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    const QDateTime now = QDateTime::currentDateTime();
    for (qsizetype i = 0; i < files.size(); ++i)
        TestHelpers::touch(path(files[i]), now.addSecs(-3600 * (files.size() - i)));
    FileQuery query;
    const QString folder = m_dir->path() + QDir::separator();
    QCOMPARE(pickFolderFile(query, folder, true, FilePattern(pattern)).file, folder + expected);
}

void TestGetLastFile::longPatternsStayCheap()
{
    // Backtracking over a thousand stars would not come back within the test's time; matching by
    // segments is done at once.
    const QString name = QString(5000, QLatin1Char('a'));
    const FilePattern stars(QString(1000, QLatin1Char('*')) + QStringLiteral("b"));
    const FilePattern segments(QStringLiteral("*a*a*a*a*a*a*a*a*a*a*b"));
    QVERIFY(!stars.matches(name));
    QVERIFY(!segments.matches(name));
    QVERIFY(!stars.matches(name.toUtf8().constData()));
    QVERIFY(FilePattern(QString(1000, QLatin1Char('*'))).matches(name));
}

QTEST_GUILESS_MAIN(TestGetLastFile)
#include "tst_getlastfile.moc"
