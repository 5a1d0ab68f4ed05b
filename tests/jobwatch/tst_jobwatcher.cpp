#include "jobwatch/JobReport.h"
#include "jobwatch/LastLine.h"

#include <QByteArrayList>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

using End = JobReport::Parsed::End;

namespace {

// Runs the real watcher over `argv` and reads its whole report.
JobReport::Parsed watch(const QByteArrayList& argv, const QByteArray& lock = QByteArray())
{
    QStringList args{QStringLiteral("--lock"), QString::fromLocal8Bit(lock), QStringLiteral("--")};
    for (const QByteArray& word : argv)
        args << QString::fromLocal8Bit(word);
    QProcess watcher;
    watcher.start(QStringLiteral(STALEGUARD_JOB_HELPER), args);
    watcher.waitForFinished(60000);
    return JobReport::parse(watcher.readAllStandardOutput().toStdString());
}

// The largest peak memory of any process this one has waited for, in KB.
long childrenPeakKb()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

QByteArrayList shell(const QByteArray& script)
{
    return {"/bin/sh", "-c", script};
}

} // namespace

class TestJobWatcher : public QObject
{
    Q_OBJECT

private slots:
    void lastLine_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QByteArray>("line");

        const QByteArray full(LastLine::kMaxBytes, 'a');
        QTest::newRow("an ended line") << QByteArrayList{"error: disk full\n"} << QByteArray("error: disk full");
        QTest::newRow("one not yet ended") << QByteArrayList{"first\nsecond"} << QByteArray("second");
        QTest::newRow("blank lines after it") << QByteArrayList{"real problem\n\n  \t\n"} << QByteArray("real problem");
        QTest::newRow("split across reads")
            << QByteArrayList{"rsync: conn", "ection ", "refused\n"} << QByteArray("rsync: connection refused");
        QTest::newRow("a progress line rewritten") << QByteArrayList{"50%\r100%\r"} << QByteArray("100%");
        QTest::newRow("blanks at its end") << QByteArrayList{"oops \t \n"} << QByteArray("oops");
        QTest::newRow("a long line keeps its start") << QByteArrayList{full, "bbbb", "cc\n"} << full;
        QTest::newRow("a character the limit cuts goes")
            << QByteArrayList{full.left(LastLine::kMaxBytes - 1) + "\xC3\xA9 more\n"}
            << full.left(LastLine::kMaxBytes - 1);
    }

    void lastLine()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(QByteArray, line);
        LastLine last;
        for (const QByteArray& piece : pieces)
            last.feed(piece.constData(), size_t(piece.size()));
        QCOMPARE(QByteArray::fromStdString(last.line()), line);
    }

    void watcher_data()
    {
        QTest::addColumn<QByteArrayList>("argv");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("exit status and last error line")
            << shell("echo first >&2; echo 'disk full' >&2; echo to stdout; exit 3") << int(End::Exited) << 3
            << QByteArray("disk full");
        QTest::newRow("a signal") << shell("echo dying >&2; kill -TERM $$") << int(End::Signalled) << SIGTERM
                                  << QByteArray("dying");
        QTest::newRow("no such program") << QByteArrayList{"/nonexistent/backup"} << int(End::Failed) << ENOENT
                                         << QByteArray();
        QTest::newRow("a folder") << QByteArrayList{"/tmp"} << int(End::Failed) << EACCES << QByteArray();
        // Its error output outlives it in a child left behind; its end is still told.
        QTest::newRow("a child keeps the output open")
            << shell("echo leaving >&2; (sleep 4 >&2 &); exit 5") << int(End::Exited) << 5 << QByteArray("leaving");
    }

    void watcher()
    {
        QFETCH(QByteArrayList, argv);
        QFETCH(int, end);
        QFETCH(int, value);
        QFETCH(QByteArray, line);
        const JobReport::Parsed report = watch(argv);
        QCOMPARE(int(report.end), end);
        QCOMPARE(report.value, value);
        QCOMPARE(QByteArray::fromStdString(report.line), line);
        QCOMPARE(report.pid != 0, end != int(End::Failed));
    }

    void aRunStillGoingOnKeepsTheNextFromStarting()
    {
        QTemporaryDir dir;
        const QByteArray lock = QFile::encodeName(dir.filePath(QStringLiteral("job.lock")));
        const QByteArray marker = QFile::encodeName(dir.filePath(QStringLiteral("ran")));
        const int held = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
        QCOMPARE(watch(shell("touch " + marker), lock).end, End::Busy);
        QVERIFY(!QFile::exists(QString::fromLocal8Bit(marker)));
        ::close(held);
        QCOMPARE(watch(shell("touch " + marker), lock).end, End::Exited);
        QVERIFY(QFile::exists(QString::fromLocal8Bit(marker)));
    }

    void bigOutputCostsNoMemory_data()
    {
        QTest::addColumn<QByteArray>("writer"); // writes N bytes, N in $1, to its error output
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("many lines") << QByteArray("yes 0123456789abcdef | head -c $1 >&2; printf '\\nthe end\\n' >&2")
                                    << QByteArray("the end");
        QTest::newRow("one endless line")
            << QByteArray("head -c $1 /dev/zero | tr '\\0' y >&2") << QByteArray(LastLine::kMaxBytes, 'y');
    }

    void bigOutputCostsNoMemory()
    {
        QFETCH(QByteArray, writer);
        QFETCH(QByteArray, line);
        const auto run = [&](qint64 bytes) {
            return watch({"/bin/sh", "-c", writer + "; exit 1", "job", QByteArray::number(bytes)});
        };
        // Every process waited for so far counts towards the peak: the 1 MB run sets the mark.
        run(1 << 20);
        const long small = childrenPeakKb();
        const JobReport::Parsed big = run(qint64(64) << 20);
        qInfo("peak memory of the watcher and its job: %ld KB after 1 MB of error output, %ld KB after 64 MB", small,
              childrenPeakKb());
        QCOMPARE(QByteArray::fromStdString(big.line), line);
        QCOMPARE(big.end, End::Exited);
        QVERIFY(childrenPeakKb() - small < 2048);
    }
};

QTEST_GUILESS_MAIN(TestJobWatcher)
#include "tst_jobwatcher.moc"
