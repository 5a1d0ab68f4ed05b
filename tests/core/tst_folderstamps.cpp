#include "core/FileStamp.h"
#include "core/FolderStamps.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

class TestFolderStamps : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithALookupByPath();
    void aMovedFolderIsSeenAfterForget();
    void aFolderWithoutReadPermission();

private:
    static void touch(const QString& path, time_t when);
};

void TestFolderStamps::touch(const QString& path, time_t when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const utimbuf times{when, when};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

void TestFolderStamps::agreesWithALookupByPath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString a = dir.filePath("a");
    const QString b = dir.filePath("b");
    QVERIFY(QDir().mkpath(a + "/sub"));
    QVERIFY(QDir().mkpath(b));
    touch(a + "/one", 1700000000);
    touch(a + "/two", 1600000000);
    touch(b + "/three", 1500000000);
    QVERIFY(QFile::link(a + "/one", b + "/link"));
    QVERIFY(QFile::link("../a/two", b + "/relative"));
    QVERIFY(QFile::link(a + "/gone", b + "/dangling"));

    // Runs of one folder, a change of folder, paths that name folders, missing names and links.
    const QStringList paths = {a + "/one",
                               a + "/two",
                               a + "/one",
                               a + "/sub",
                               a + "/missing",
                               a + "/sub/..",
                               a + "/./two",
                               b + "/three",
                               b + "/link",
                               b + "/relative",
                               b + "/dangling",
                               b + "/three",
                               a + "/",
                               "",
                               "relative-name",
                               dir.path() + "/a/../a/two",
                               dir.path() + "/a/../a/one",
                               b + "/nothing/x"};
    FolderStamps stamps;
    for (const QString& path : paths) {
        const auto expected = FileStamp::modified(path);
        const auto got = stamps.modified(path);
        QCOMPARE(got.has_value(), expected.has_value());
        if (expected) {
            QCOMPARE(got->date, expected->date);
            QCOMPARE(got->time, expected->time);
        }
    }
}

void TestFolderStamps::aMovedFolderIsSeenAfterForget()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath("f");
    QVERIFY(QDir().mkpath(folder));
    touch(folder + "/x", 1700000000);
    touch(folder + "/y", 1700000000);
    FolderStamps stamps;
    QVERIFY(stamps.modified(folder + "/x"));
    QVERIFY(stamps.modified(folder + "/y")); // now held open
    QVERIFY(QDir(dir.path()).rename("f", "g"));
    stamps.forget();
    QVERIFY(!stamps.modified(folder + "/x"));
    QVERIFY(!stamps.modified(folder + "/y"));
    QVERIFY(stamps.modified(dir.filePath("g") + "/y"));
}

void TestFolderStamps::aFolderWithoutReadPermission()
{
    if (::geteuid() == 0)
        QSKIP("Running as root, every folder is readable");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath("locked");
    QVERIFY(QDir().mkpath(folder));
    touch(folder + "/x", 1700000000);
    touch(folder + "/y", 1700000000);
    // Search permission alone lets a file be looked up by its path; so it must here too.
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0100), 0);
    FolderStamps stamps;
    const bool first = stamps.modified(folder + "/x").has_value();
    const bool second = stamps.modified(folder + "/y").has_value();
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    QVERIFY(first);
    QVERIFY(second);
}

QTEST_GUILESS_MAIN(TestFolderStamps)
#include "tst_folderstamps.moc"
