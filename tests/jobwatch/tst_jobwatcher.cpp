#include "jobwatch/JobReport.h"
#include "jobwatch/LastLine.h"

#include <QByteArrayList>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using End = JobReport::Parsed::End;

namespace {

struct Run
{
    JobReport::Parsed report;
    long maxRssKb = 0; // the watcher's, its job's included
};

// Runs the real watcher over `argv` and reads its whole report.
Run watch(const QByteArrayList& argv, const QByteArray& lock = QByteArray())
{
    QByteArrayList words{STALEGUARD_JOB_HELPER, "--lock", lock, "--"};
    words += argv;
    std::vector<char*> args;
    for (QByteArray& word : words)
        args.push_back(word.data());
    args.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, args.front(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while (spawned == 0 && ((n = ::read(out[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
        text.append(buffer, size_t(qMax<ssize_t>(n, 0)));
    ::close(out[0]);
    Run run;
    rusage usage{};
    int status = 0;
    if (spawned == 0 && ::wait4(pid, &status, 0, &usage) == pid)
        run.maxRssKb = usage.ru_maxrss;
    run.report = JobReport::parse(text);
    return run;
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
        QTest::newRow("nothing") << QByteArrayList() << QByteArray();
        QTest::newRow("an ended line") << QByteArrayList{"error: disk full\n"} << QByteArray("error: disk full");
        QTest::newRow("one not yet ended") << QByteArrayList{"first\nsecond"} << QByteArray("second");
        QTest::newRow("blank lines after it") << QByteArrayList{"real problem\n\n  \t\n"} << QByteArray("real problem");
        QTest::newRow("split across reads")
            << QByteArrayList{"rsync: conn", "ection ", "refused\n"} << QByteArray("rsync: connection refused");
        QTest::newRow("a progress line rewritten") << QByteArrayList{"50%\r100%\r"} << QByteArray("100%");
        QTest::newRow("CR LF") << QByteArrayList{"done\r\n"} << QByteArray("done");
        QTest::newRow("blanks at its end") << QByteArrayList{"oops \t \n"} << QByteArray("oops");
        QTest::newRow("a long line keeps its start") << QByteArrayList{full, "bbbb", "cc\n"} << full;
        QTest::newRow("a character the limit cuts goes")
            << QByteArrayList{full.left(LastLine::kMaxBytes - 1) + "\xC3\xA9 more\n"}
            << full.left(LastLine::kMaxBytes - 1);
        QTest::newRow("one that fits stays") << QByteArrayList{full.left(LastLine::kMaxBytes - 2) + "\xC3\xA9\n"}
                                             << full.left(LastLine::kMaxBytes - 2) + "\xC3\xA9";
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

    void report_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("exited") << QByteArray("started 42\nline no space left\nexited 3\n") << int(End::Exited) << 3
                                << QByteArray("no space left");
        QTest::newRow("signalled") << QByteArray("started 42\nsignalled 9\n") << int(End::Signalled) << 9
                                   << QByteArray();
        QTest::newRow("could not start") << QByteArray("failed 2\n") << int(End::Failed) << 2 << QByteArray();
        QTest::newRow("still running") << QByteArray("busy\n") << int(End::Busy) << 0 << QByteArray();
        QTest::newRow("the watcher was ended")
            << QByteArray("started 42\nline half") << int(End::None) << 0 << QByteArray();
        QTest::newRow("a line that looks like an end")
            << QByteArray("started 1\nline exited 0\nexited 1\n") << int(End::Exited) << 1 << QByteArray("exited 0");
    }

    void report()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, end);
        QFETCH(int, value);
        QFETCH(QByteArray, line);
        const JobReport::Parsed parsed = JobReport::parse(text.toStdString());
        QCOMPARE(int(parsed.end), end);
        QCOMPARE(parsed.value, value);
        QCOMPARE(QByteArray::fromStdString(parsed.line), line);
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
        QTest::newRow("success") << shell("true") << int(End::Exited) << 0 << QByteArray();
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
        const JobReport::Parsed report = watch(argv).report;
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
        QCOMPARE(watch(shell("touch " + marker), lock).report.end, End::Busy);
        QVERIFY(!QFile::exists(QString::fromLocal8Bit(marker)));
        ::close(held);
        QCOMPARE(watch(shell("touch " + marker), lock).report.end, End::Exited);
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
        const Run small = run(1 << 20);
        const Run big = run(qint64(64) << 20);
        qInfo("watcher's peak memory: %ld KB for 1 MB of error output, %ld KB for 64 MB", small.maxRssKb, big.maxRssKb);
        QCOMPARE(QByteArray::fromStdString(big.report.line), line);
        QCOMPARE(big.report.end, End::Exited);
        QVERIFY2(big.maxRssKb - small.maxRssKb < 2048,
                 qPrintable(QStringLiteral("%1 KB for 1 MB, %2 KB for 64 MB").arg(small.maxRssKb).arg(big.maxRssKb)));
    }
};

QTEST_GUILESS_MAIN(TestJobWatcher)
#include "tst_jobwatcher.moc"
