#include "engine/HelperChannel.h"
#include "engine/PlaceInLine.h"
#include "engine/StuckShares.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

Q_DECLARE_METATYPE(PlaceInLine::Wait)

namespace {

// A helper given up on, which ends when the test says so.
class EndingChannel : public QueryChannel
{
public:
    EndingChannel(std::shared_ptr<std::atomic<bool>> ended, qint64 pid) : m_ended(std::move(ended)), m_pid(pid) {}
    bool open(QString&) override { return true; }
    int socket() const override { return -1; }
    void abandon() override { abandoned = true; }
    bool ended() override { return *m_ended; }
    qint64 processId() const override { return m_pid; }

    bool abandoned = false;

private:
    std::shared_ptr<std::atomic<bool>> m_ended;
    qint64 m_pid;
};

} // namespace

// The shares that do not answer: the helpers given up on them, the notes that tell later runs, and
// the line that a share's requests wait in.
class TestStuckShares : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void stuckUntilItsHelperEnds_data();
    void stuckUntilItsHelperEnds();
    void notesTellLaterRuns_data();
    void notesTellLaterRuns();
    void waitInLine_data();
    void waitInLine();
    void lineOverTime_data();
    void lineOverTime();

private:
    QStringList notes() const;

    QTemporaryDir m_runtime;
};

void TestStuckShares::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void TestStuckShares::cleanup()
{
    QCOMPARE(StuckShares::count(), 0);
    for (const QString& note : notes())
        QFile::remove(m_runtime.path() + QStringLiteral("/staleguard/") + note);
}

QStringList TestStuckShares::notes() const
{
    return QDir(m_runtime.path() + QStringLiteral("/staleguard")).entryList(QDir::Files);
}

void TestStuckShares::stuckUntilItsHelperEnds_data()
{
    QTest::addColumn<bool>("stuck");
    QTest::newRow("given up unanswered") << true;
    QTest::newRow("given up as its query ended") << false;
}

void TestStuckShares::stuckUntilItsHelperEnds()
{
    QFETCH(bool, stuck);
    auto ended = std::make_shared<std::atomic<bool>>(false);
    auto channel = std::make_unique<EndingChannel>(ended, 0);
    const EndingChannel* helper = channel.get();
    StuckShares::giveUp("/mnt/a", std::move(channel), stuck);
    QVERIFY(helper->abandoned);
    QCOMPARE(StuckShares::count(), stuck ? 1 : 0);
    QCOMPARE(StuckShares::stuckOn("/mnt/a"), stuck);
    QVERIFY(!StuckShares::stuckOn("/mnt/b"));
    QVERIFY(notes().isEmpty()); // no process to take a note of
    *ended = true;
    QCOMPARE(StuckShares::count(), 0);
    QVERIFY(!StuckShares::stuckOn("/mnt/a"));
}

void TestStuckShares::notesTellLaterRuns_data()
{
    QTest::addColumn<QString>("process");
    QTest::addColumn<bool>("givenUpStuck"); // false: only left to end, as its query was done
    QTest::addColumn<bool>("stuck");
    QTest::newRow("a helper still stuck") << QStringLiteral("helper") << true << true;
    QTest::newRow("a helper only left to end") << QStringLiteral("helper") << false << false;
    QTest::newRow("its pid now another program's") << QStringLiteral("other") << true << false;
    QTest::newRow("a helper that has ended") << QStringLiteral("ended") << true << false;
}

void TestStuckShares::notesTellLaterRuns()
{
    QFETCH(QString, process);
    QFETCH(bool, givenUpStuck);
    QFETCH(bool, stuck);
    HelperChannel helper{QStringLiteral(STALEGUARD_QUERY_HELPER)};
    qint64 pid = QCoreApplication::applicationPid();
    if (process == QLatin1String("helper")) {
        QString why;
        QVERIFY2(helper.open(why), qPrintable(why));
        pid = helper.processId();
    } else if (process == QLatin1String("ended")) {
        pid = ::fork();
        if (pid == 0)
            ::_exit(0);
        ::waitpid(pid_t(pid), nullptr, 0);
    }
    // What an earlier run left: its own record of the helper went with it.
    StuckShares::giveUp("/mnt/a", std::make_unique<EndingChannel>(std::make_shared<std::atomic<bool>>(true), pid),
                        givenUpStuck);
    QCOMPARE(notes().size(), givenUpStuck ? 1 : 0);
    QCOMPARE(StuckShares::stuckOn("/mnt/a"), stuck);
    QVERIFY(!StuckShares::stuckOn("/mnt/b"));
    QCOMPARE(notes().size(), stuck ? 1 : 0);
    if (stuck) {
        // Once the share answers the helper ends, and so does the note.
        helper.abandon();
        QTRY_VERIFY(helper.ended());
        QVERIFY(!StuckShares::stuckOn("/mnt/a"));
        QVERIFY(notes().isEmpty());
    }
}

void TestStuckShares::waitInLine_data()
{
    QTest::addColumn<QByteArray>("before"); // the share a request made before waits on
    QTest::addColumn<bool>("heard");        // that request had its answer just now
    QTest::addColumn<int>("leaveAfter");    // ms until it is done, -1 never
    QTest::addColumn<int>("stopAfter");     // ms until the waiting query is stopped, -1 never
    QTest::addColumn<PlaceInLine::Wait>("expected");
    QTest::addColumn<int>("takes"); // ms, about; a query that waits at all says so
    using W = PlaceInLine::Wait;
    const auto row = [](const char* what, const QByteArray& before, bool heard, int leave, int stop, W wait,
                        int takes) { QTest::newRow(what) << before << heard << leave << stop << wait << takes; };
    row("alone", QByteArray(), false, -1, -1, W::Turn, 0);
    row("behind another share", "/mnt/b", false, -1, -1, W::Turn, 0);
    row("behind a share that answers", "/mnt/a", true, -1, -1, W::Turn, 0);
    row("behind a silent share", "/mnt/a", false, -1, -1, W::Silent, 300); // the timeout
    row("behind one that is done", "/mnt/a", false, 100, -1, W::Turn, 100);
    row("stopped in line", "/mnt/a", false, -1, 100, W::Stopped, 100);
}

void TestStuckShares::waitInLine()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, heard);
    QFETCH(int, leaveAfter);
    QFETCH(int, stopAfter);
    std::optional<PlaceInLine> earlier;
    if (!before.isEmpty())
        earlier.emplace(before);
    if (heard)
        earlier->heard();
    PlaceInLine place("/mnt/a");
    std::thread leaving([&] {
        if (leaveAfter >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(leaveAfter));
            earlier.reset();
        }
    });
    QElapsedTimer timer;
    timer.start();
    bool waited = false;
    const PlaceInLine::Wait wait = place.waitTurn(
        300, 20, [&] { return stopAfter >= 0 && timer.elapsed() >= stopAfter; }, waited);
    const qint64 took = timer.elapsed();
    leaving.join();
    QTEST(wait, "expected");
    QFETCH(int, takes);
    QCOMPARE(waited, takes > 0);
    QVERIFY2(took >= takes - 20 && took < takes + 500, qPrintable(QString::number(took)));
}

void TestStuckShares::lineOverTime_data()
{
    // Moments in ms from when the request before was sent; the share's timeout is 3 s.
    QTest::addColumn<int>("heardAt"); // the share answers the request before
    QTest::addColumn<int>("joinAt");  // the later query comes, when that answer is no longer fresh
    QTest::addColumn<int>("leaveAt"); // the request before is done, -1 never
    QTest::addColumn<PlaceInLine::Wait>("expected");
    QTest::addColumn<int>("takes"); // ms from joining, about
    using W = PlaceInLine::Wait;
    // The timeout runs from the share's last answer, not from when the request was sent.
    QTest::newRow("heard long after it was sent") << 1000 << 2100 << 3500 << W::Turn << 1400;
    QTest::newRow("silent for the timeout since") << 200 << 1300 << -1 << W::Silent << 1900;
}

void TestStuckShares::lineOverTime()
{
    QFETCH(int, heardAt);
    QFETCH(int, joinAt);
    QFETCH(int, leaveAt);
    QElapsedTimer since;
    since.start();
    std::optional<PlaceInLine> earlier;
    earlier.emplace("/mnt/a");
    const auto sleepUntil = [&since](int at) {
        std::this_thread::sleep_for(std::chrono::milliseconds(at - since.elapsed()));
    };
    std::thread share([&] {
        sleepUntil(heardAt);
        earlier->heard();
        if (leaveAt >= 0) {
            sleepUntil(leaveAt);
            earlier.reset();
        }
    });
    sleepUntil(joinAt);
    PlaceInLine place("/mnt/a");
    QElapsedTimer timer;
    timer.start();
    bool waited = false;
    const PlaceInLine::Wait wait = place.waitTurn(
        3000, 20, [] { return false; }, waited);
    const qint64 took = timer.elapsed();
    share.join();
    QTEST(wait, "expected");
    QVERIFY(waited);
    QFETCH(int, takes);
    QVERIFY2(took >= takes - 100 && took < takes + 400, qPrintable(QString::number(took)));
}

QTEST_GUILESS_MAIN(TestStuckShares)
#include "tst_stuckshares.moc"
