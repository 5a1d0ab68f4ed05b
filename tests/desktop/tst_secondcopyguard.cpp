#include "desktop/SecondCopyGuard.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSecondCopyGuard : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        SecondCopyGuard::setLockFolder(m_dir->path());
    }

    void cleanup() { SecondCopyGuard::setLockFolder(QString()); }

    void onlyOneHolderAtATime()
    {
        {
            SecondCopyGuard first;
            QVERIFY(first.tryAcquire());
            QVERIFY(first.holdsLock());
            QVERIFY(first.tryAcquire()); // asking again keeps it
            {
                SecondCopyGuard second;
                QVERIFY(!second.tryAcquire());
                QVERIFY(!second.holdsLock());
            }
            QVERIFY(first.holdsLock());
        }
        // Freed when its holder ends.
        SecondCopyGuard next;
        QVERIFY(next.tryAcquire());
    }

    void lockIsPerProductAndUser()
    {
        SecondCopyGuard guard;
        const QString name = QFileInfo(guard.lockPath()).fileName();
        QVERIFY(name.startsWith(QStringLiteral("Staleguard-")));
        QVERIFY(name.endsWith(QStringLiteral(".lock")));
        QCOMPARE(QFileInfo(guard.lockPath()).absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());
    }

    void lockOfADeadCopyIsTakenOver()
    {
        // A copy that crashed leaves its lock file behind, naming a process that is gone.
        QProcess dead;
        dead.start(QStringLiteral("true"));
        QVERIFY(dead.waitForStarted());
        const qint64 pid = dead.processId();
        QVERIFY(dead.waitForFinished());
        SecondCopyGuard guard;
        QFile lock(guard.lockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + "\nStaleguard\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QVERIFY(guard.tryAcquire());
    }

    void unwritableFolderDoesNotBlockTheStart()
    {
        SecondCopyGuard::setLockFolder(QStringLiteral("/proc/no-such-folder"));
        SecondCopyGuard guard;
        QVERIFY(guard.tryAcquire());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSecondCopyGuard)
#include "tst_secondcopyguard.moc"
