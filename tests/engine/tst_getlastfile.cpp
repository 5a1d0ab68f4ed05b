#include "engine/FileQuery.h"
#include "engine/getlastfile.h"

#include "TestHelpers.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestGetLastFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void picksByWholeMinutes_data();
    void picksByWholeMinutes();
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
};

void TestGetLastFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
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

void TestGetLastFile::picksByWholeMinutes_data()
{
    QTest::addColumn<QTime>("timeA");
    QTest::addColumn<QTime>("timeB");
    QTest::addColumn<bool>("newest");
    // "a", "b", or "first"/"last" for whichever the listing returns first/last
    QTest::addColumn<QString>("expected");

    const QTime t1000(10, 0, 0), t1000_59(10, 0, 59), t1001(10, 1, 0);
    QTest::newRow("newest, later minute") << t1000_59 << t1001 << true << "b";
    QTest::newRow("oldest, earlier minute") << t1000_59 << t1001 << false << "a";
    QTest::newRow("newest, same minute: first listed") << t1000 << t1000_59 << true << "first";
    QTest::newRow("oldest, same minute: last listed") << t1000 << t1000_59 << false << "last";
    QTest::newRow("newest, same minute the other way round: first listed") << t1000_59 << t1000 << true << "first";
    QTest::newRow("oldest, same minute the other way round: last listed") << t1000_59 << t1000 << false << "last";
    QTest::newRow("newest, same second: first listed") << t1001 << t1001 << true << "first";
    QTest::newRow("oldest, same second: last listed") << t1001 << t1001 << false << "last";
}

void TestGetLastFile::picksByWholeMinutes()
{
    QFETCH(QTime, timeA);
    QFETCH(QTime, timeB);
    QFETCH(bool, newest);
    QFETCH(QString, expected);

    const QDate day = QDate::currentDate().addDays(-3);
    TestHelpers::touch(path("a"), QDateTime(day, timeA));
    TestHelpers::touch(path("b"), QDateTime(day, timeB));
    const QStringList order = listingOrder();
    QCOMPARE(order.size(), 2);
    QString name = expected;
    if (expected == "first")
        name = order.first();
    else if (expected == "last")
        name = order.last();
    QCOMPARE(getlastfile(m_dir->path(), newest), path(name));
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
