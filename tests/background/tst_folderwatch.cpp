#include "TestHelpers.h"
#include "background/FolderWatch.h"
#include "engine/FileQuery.h"
#include "store/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr auto kDebounce = 300ms;

QDateTime anHourAgo()
{
    return QDateTime::currentDateTime().addSecs(-3600);
}

} // namespace

class TestFolderWatch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(path(QStringLiteral("logs"))));
        QVERIFY(QDir().mkpath(path(QStringLiteral("data"))));
        for (const char* name : {"logs/a.log", "logs/b.log", "logs/c.log", "data/report.doc"})
            TestHelpers::touch(path(QLatin1String(name)), anHourAgo());
    }

    void oneWatchPerFolder()
    {
        FolderWatch watch(kDebounce);
        watch.setFiles({path(QStringLiteral("logs/a.log")), path(QStringLiteral("logs/b.log")),
                        path(QStringLiteral("data/../logs/c.log")), path(QStringLiteral("data/report.doc")),
                        path(QStringLiteral("missing/x.txt")), QString()});
        QStringList folders = watch.watchedFolders();
        folders.sort();
        QCOMPARE(folders, QStringList({QDir(path(QStringLiteral("data"))).canonicalPath(),
                                       QDir(path(QStringLiteral("logs"))).canonicalPath()}));
        watch.rewatch();
        QCOMPARE(watch.watchedFolders().size(), 2);
        watch.setFiles({path(QStringLiteral("data/report.doc"))});
        QCOMPARE(watch.watchedFolders(), QStringList(QDir(path(QStringLiteral("data"))).canonicalPath()));

        // A folder on a share is never watched: asking for a watch may hang with the share.
        FileQuery::setMountTable(MountTable::parse("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 0:9 / " +
                                                   QFile::encodeName(QDir(path("data")).canonicalPath()) +
                                                   " rw - nfs4 nas:/b rw\n"));
        watch.setFiles({path(QStringLiteral("data/report.doc")), path(QStringLiteral("logs/a.log"))});
        FileQuery::setMountTable(std::nullopt);
        QCOMPARE(watch.watchedFolders(), QStringList(QDir(path(QStringLiteral("logs"))).canonicalPath()));
    }

    void changeGivesOneSignal_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("touched") << "touch";
        QTest::newRow("written in place") << "append";
        QTest::newRow("replaced by rename") << "rename";
        QTest::newRow("burst over several files") << "burst";
    }

    void changeGivesOneSignal()
    {
        QFETCH(QString, how);
        FolderWatch watch(kDebounce);
        watch.setFiles({path(QStringLiteral("logs/a.log")), path(QStringLiteral("logs/b.log"))});
        QSignalSpy changed(&watch, &FolderWatch::changed);
        const QString file = path(QStringLiteral("logs/a.log"));
        if (how == QLatin1String("touch")) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime));
        } else if (how == QLatin1String("append")) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::Append));
            f.write("more");
            f.flush();
            // Still open, as a log its writer keeps open.
            QTRY_COMPARE(changed.count(), 1);
            return;
        } else if (how == QLatin1String("rename")) {
            TestHelpers::writeAll(file + QStringLiteral(".new"), "fresh");
            QVERIFY(QFile::remove(file));
            QVERIFY(QFile::rename(file + QStringLiteral(".new"), file));
        } else {
            for (int i = 0; i < 30; ++i)
                TestHelpers::touch(path(QStringLiteral("logs/new-%1.log").arg(i)), QDateTime::currentDateTime());
        }
        QTRY_COMPARE(changed.count(), 1);
        QTest::qWait(int(kDebounce.count() * 2));
        QCOMPARE(changed.count(), 1);
    }

    void changeQueuedAtRewatchStillCounts()
    {
        FolderWatch watch(kDebounce);
        watch.setFiles({path(QStringLiteral("logs/a.log"))});
        QSignalSpy changed(&watch, &FolderWatch::changed);
        // Before the event loop hears of it, as when a check ends with the change queued.
        TestHelpers::touch(path(QStringLiteral("logs/b.log")), QDateTime::currentDateTime());
        watch.setFiles({path(QStringLiteral("logs/a.log"))});
        QTRY_COMPARE(changed.count(), 1);
    }

    void ownFilesAreNoChange()
    {
        FolderWatch watch(kDebounce);
        const QString own = path(QStringLiteral("logs/$rows.ini"));
        watch.setFiles({path(QStringLiteral("logs/a.log"))});
        watch.setOwnFiles({own});
        QSignalSpy changed(&watch, &FolderWatch::changed);
        IniFile ini;
        ini.ReplaceFile(own, "[row 0]\n");
        ini.ReplaceFile(own, "[row 0]\n[row 1]\n");
        QVERIFY(QFile::remove(own));
        QTest::qWait(int(kDebounce.count() * 3));
        QCOMPARE(changed.count(), 0);

        // Named like an unnamed file in the making, but there for all to see.
        TestHelpers::touch(path(QStringLiteral("logs/#42")), QDateTime::currentDateTime());
        QTRY_COMPARE(changed.count(), 1);
    }

    void folderThatComesBackIsWatchedAgain_data()
    {
        QTest::addColumn<bool>("lookedBetween"); // a rewatch came while the folder was gone
        QTest::newRow("gone at a rewatch") << true;
        QTest::newRow("made again before any rewatch") << false;
    }

    void folderThatComesBackIsWatchedAgain()
    {
        QFETCH(bool, lookedBetween);
        FolderWatch watch(kDebounce);
        watch.setFiles({path(QStringLiteral("data/report.doc"))});
        QSignalSpy changed(&watch, &FolderWatch::changed);
        QVERIFY(QDir(path(QStringLiteral("data"))).removeRecursively());
        if (!lookedBetween)
            QVERIFY(QDir().mkpath(path(QStringLiteral("data"))));
        QTRY_COMPARE(changed.count(), 1);
        if (lookedBetween) {
            watch.rewatch();
            QVERIFY(watch.watchedFolders().isEmpty());
            QVERIFY(QDir().mkpath(path(QStringLiteral("data"))));
        }
        watch.rewatch();
        QCOMPARE(watch.watchedFolders().size(), 1);
        TestHelpers::touch(path(QStringLiteral("data/report.doc")), QDateTime::currentDateTime());
        QTRY_COMPARE(changed.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestFolderWatch)
#include "tst_folderwatch.moc"
