#include "GatedChannel.h"
#include "TestHelpers.h"
#include "WatchListFolder.h"
#include "background/BackgroundCheckHost.h"
#include "background/BackgroundChecks.h"
#include "background/FolderWatch.h"
#include "engine/FileQuery.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace {

// The window as the checks see it: a watch list, and a user who may be busy.
class Host : public BackgroundCheckHost
{
public:
    explicit Host(const WatchListFolder& dir) : m_dir(dir) {}
    QString inifilename() const override { return m_dir.iniPath(); }
    QString tempinifilename() const override { return m_dir.rowMapPath(); }
    bool showsAll() const override { return false; }
    bool isBusy() const override { return busy; }

    bool busy = false;

private:
    const WatchListFolder& m_dir;
};

} // namespace

// What starts a background check over time, and what it leaves watched, without a window.
class TestCheckTriggers : public QObject
{
    Q_OBJECT

private:
    WatchListFolder m_dir;
    QString m_file;

    QString folder() const { return m_dir.filePath(QStringLiteral("backups")); }

private slots:
    void init()
    {
        QVERIFY(QDir().mkpath(folder()));
        m_file = folder() + QStringLiteral("/backup.tar");
        TestHelpers::touch(m_file, QDateTime::currentDateTime().addDays(-9));
        TestHelpers::writeAll(m_dir.iniPath(), "[Settings]\nShare timeout=60\n" +
                                                   TestHelpers::entrySection(0, m_file, "days=5\ndescription=Backup"));
    }

    void cleanup()
    {
        QueryGate::uninstall();
        FileQuery::setMountTable(std::nullopt);
        QDir(folder()).removeRecursively();
    }

    // A check held back while the user is busy runs once they are done, even when no window's
    // focus moves to say so.
    void heldBackUntilTheUserIsDone()
    {
        Host host(m_dir);
        BackgroundChecks checks(host);
        checks.start(QDBusConnection(QStringLiteral("none")));
        QSignalSpy done(&checks, &BackgroundChecks::checkFinished);
        host.busy = true;
        checks.requestCheck();
        QTest::qWait(700);
        QVERIFY(done.isEmpty());
        QVERIFY(checks.isPending());
        host.busy = false;
        QVERIFY(done.wait(3000));
        QCOMPARE(done.first().first().toBool(), true);
    }

    // What happens while a check runs, here one held on a share, is looked at once it ends: a
    // change noticed meanwhile, or the user busy as its rows came back.
    void whileACheckRuns_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::newRow("asked again") << false;
        QTest::newRow("the user busy as it ends") << true;
    }

    void whileACheckRuns()
    {
        QFETCH(bool, busy);
        const std::shared_ptr<QueryGate> gate = QueryGate::install();
        FileQuery::setMountTable(MountTable::parse("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 0:9 / " +
                                                   QFile::encodeName(m_file) + " rw - nfs4 nas:/b rw\n"));
        Host host(m_dir);
        BackgroundChecks checks(host);
        checks.start(QDBusConnection(QStringLiteral("none")));
        QSignalSpy done(&checks, &BackgroundChecks::checkFinished);
        checks.requestCheck();
        QTRY_COMPARE(gate->running(), 1);
        if (busy)
            host.busy = true;
        else
            checks.requestCheck();
        gate->open();
        if (busy) {
            QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
            host.busy = false;
        }
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 10000);
        QCOMPARE(done.first().first().toBool(), !busy);
        QCOMPARE(done.last().first().toBool(), true);
        QVERIFY(!checks.isPending());
    }

    // The folders of the files a check found are watched; one removed and made again while no
    // check ran is watched again from the next interval on.
    void folderMadeAgainIsWatchedFromTheInterval()
    {
        Host host(m_dir);
        BackgroundChecks checks(host);
        checks.start(QDBusConnection(QStringLiteral("none")));
        QSignalSpy done(&checks, &BackgroundChecks::checkFinished);
        checks.requestCheck();
        QVERIFY(done.wait(5000));
        const QString real = QDir(folder()).canonicalPath();
        QCOMPARE(checks.folderWatch().watchedFolders(), QStringList{real});

        // Its removal starts a check, which finds the folder gone.
        QVERIFY(QDir(folder()).removeRecursively());
        QVERIFY(done.wait(8000));
        QVERIFY(checks.folderWatch().watchedFolders().isEmpty());
        QVERIFY(QDir().mkpath(folder()));
        emit checks.scheduler().checkDue(CheckScheduler::Reason::Interval);
        QVERIFY(done.wait(5000));
        done.clear();
        QCOMPARE(checks.folderWatch().watchedFolders(), QStringList{real});
        TestHelpers::touch(m_file, QDateTime::currentDateTime());
        QVERIFY(done.wait(8000));
    }
};

QTEST_MAIN(TestCheckTriggers)
#include "tst_checktriggers.moc"
