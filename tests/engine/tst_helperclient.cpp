#include "TestHelpers.h"
#include "engine/HelperClient.h"
#include "engine/LocalQuery.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using Op = QueryProtocol::Op;
Q_DECLARE_METATYPE(QueryProtocol::Op)

namespace {

// The helper's end of a socket pair, where the test answers in its place.
class PeerChannel : public QueryChannel
{
public:
    explicit PeerChannel(int fd) : m_fd(fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }
    ~PeerChannel() override { abandon(); }
    bool open(QString&) override { return true; }
    int socket() const override { return m_fd; }
    void abandon() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool ended() override { return true; }

private:
    int m_fd;
};

QString describe(const FileAnswer& a)
{
    if (a.state == FileAnswer::State::Found)
        return QStringLiteral("found %1 %2").arg(a.regular ? "file" : "folder").arg(a.size);
    return a.state == FileAnswer::State::Missing ? QStringLiteral("missing") : QStringLiteral("unreachable: ") + a.why;
}

QByteArray record(const std::function<void(std::string&)>& append)
{
    std::string out;
    append(out);
    return QByteArray::fromStdString(out);
}

QByteArray name(const char* text)
{
    return record([text](std::string& out) {
        QueryProtocol::appendName(out, text, std::uint32_t(std::strlen(text)), QueryProtocol::StatFields());
    });
}

QByteArray end(int error)
{
    return record([error](std::string& out) { QueryProtocol::appendEnd(out, error); });
}

QByteArrayList pieces(const QByteArray& whole, int size)
{
    QByteArrayList out;
    for (int at = 0; at < whole.size(); at += size)
        out << whole.mid(at, size);
    return out;
}

} // namespace

// The program's end of the helper's protocol, against a helper played by the test: what it makes
// of the records as they come, and when it gives the helper up.
class TestHelperClient : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { HelperClient::setProgram(QString()); }
    void answers_data();
    void answers();
    void realHelperOverASocketPair();
    void startsTheHelperProgram();
};

void TestHelperClient::answers_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<QByteArrayList>("chunks"); // what the helper sends, one every `gap` ms
    QTest::addColumn<int>("gap");
    QTest::addColumn<bool>("ends");         // the helper ends after its last chunk
    QTest::addColumn<QList<int>>("bounds"); // timeout in s, the run's deadline and its stop in ms (-1: none)
    QTest::addColumn<QString>("expected");  // the answer, [the names listed] and the bytes read
    QTest::addColumn<bool>("givenUp");
    QTest::addColumn<int>("takes"); // ms, about
    const auto row = [](const char* what, Op op, const QByteArrayList& chunks, int gap, bool ends,
                        const QList<int>& bounds, const char* expected, bool givenUp, int takes) {
        QTest::newRow(what) << op << chunks << gap << ends << bounds << QString::fromUtf8(expected) << givenUp << takes;
    };
    QueryProtocol::StatFields file;
    file.mode = S_IFREG | 0644;
    file.size = 42;
    const QByteArray stat = record([&file](std::string& out) { QueryProtocol::appendStat(out, file); });
    const QByteArray read = record([](std::string& out) {
        QueryProtocol::appendData(out, "hello ", 6);
        QueryProtocol::appendData(out, "world", 5);
    });
    const QByteArray names = name("a") + name("b") + end(0);
    const QList<int> plain{5, -1, -1};
    row("stat", Op::Stat, {stat}, 0, false, plain, "found file 42 [] ", false, 0);
    row("stat a byte at a time", Op::Stat, pieces(stat, 1), 5, false, plain, "found file 42 [] ", false, 150);
    row("listing", Op::List, {names}, 0, false, plain, "found folder 0 [a,b] ", false, 0);
    row("listing split inside a record", Op::List, pieces(names, 7), 10, false, plain, "found folder 0 [a,b] ", false,
        40);
    row("listing of nothing", Op::List, {end(ENOENT)}, 0, false, plain, "missing [] ", false, 0);
    row("read", Op::Read, {read + end(0)}, 0, false, plain, "found file 11 [] hello world", false, 0);
    row("garbled", Op::List, {"X123"}, 0, false, plain, "unreachable: The share query helper gave a garbled answer [] ",
        true, 0);
    row("helper ends mid-answer", Op::List, {name("a") + end(0).left(2)}, 0, true, plain,
        "unreachable: The share query helper ended [a] ", true, 0);
    row("silent", Op::Stat, {}, 0, false, {1, -1, -1}, "unreachable: No answer within 1 s [] ", true, 1000);
    // Each word from the helper gives it its whole timeout again.
    row("slow but steady", Op::List, {name("a"), name("b"), name("c"), end(0)}, 600, false, {1, -1, -1},
        "found folder 0 [a,b,c] ", false, 2400);
    row("the run's deadline first", Op::Stat, {}, 0, false, {60, 1600, -1}, "unreachable: No answer within 2 s [] ",
        true, 1600);
    row("stopped", Op::List, {}, 0, false, {60, -1, 100}, "unreachable: The check was stopped [] ", true, 100);
    // However steadily the helper answers, the run's deadline ends the wait.
    row("steady past the run's deadline", Op::List, {name("a"), name("b"), name("c"), end(0)}, 600, false,
        {1, 1000, -1}, "unreachable: No answer within 1 s [a] ", true, 1000);
}

void TestHelperClient::answers()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(int, gap);
    QFETCH(bool, ends);
    QFETCH(QList<int>, bounds);
    int sv[2];
    QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) == 0);
    HelperClient client(std::make_unique<PeerChannel>(sv[0]));
    std::thread helper([&, fd = sv[1]] {
        char request[1 + 4 + 8]; // a helper answers once it has the whole request
        for (ssize_t got = 0, n = 0; got < ssize_t(sizeof request); got += n) {
            if ((n = ::read(fd, request + got, sizeof request - size_t(got))) <= 0)
                return;
        }
        for (const QByteArray& chunk : chunks) {
            std::this_thread::sleep_for(std::chrono::milliseconds(gap));
            (void)!::write(fd, chunk.constData(), size_t(chunk.size()));
        }
        if (ends)
            ::shutdown(fd, SHUT_RDWR);
    });
    QElapsedTimer timer;
    timer.start();
    int heard = 0;
    HelperClient::Bounds limits;
    limits.timeoutSecs = bounds[0];
    if (bounds[1] >= 0)
        limits.deadline = QDeadlineTimer(bounds[1]);
    limits.stop = [&] { return bounds[2] >= 0 && timer.elapsed() >= bounds[2]; };
    limits.heard = [&] { ++heard; };
    QStringList names;
    QByteArray bytes;
    QFETCH(Op, op);
    const HelperClient::Reply reply = client.ask(
        op, "/share/x", [&](const char* name, const FileAnswer&) { names << QString::fromUtf8(name); }, &bytes, limits);
    const qint64 took = timer.elapsed();
    helper.join();
    ::close(sv[1]);
    QTEST(QStringLiteral("%1 [%2] %3").arg(describe(reply.answer), names.join(QLatin1Char(',')), bytes), "expected");
    QTEST(reply.givenUp, "givenUp");
    QCOMPARE(heard > 0, !chunks.isEmpty());
    QFETCH(int, takes);
    QVERIFY2(took >= takes - 50 && took < takes + 700, qPrintable(QString::number(took)));
}

void TestHelperClient::realHelperOverASocketPair()
{
    QTemporaryDir dir;
    TestHelpers::writeAll(dir.filePath(QStringLiteral("watch.ini")), "[Settings]\n");
    int sv[2];
    QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) == 0);
    std::thread helper([fd = sv[1]] {
        QueryProtocol::serve(fd, fd);
        ::close(fd);
    });
    const auto joined = qScopeGuard([&helper] { helper.join(); });
    // Gone before the helper is waited for: its end of the socket ends the helper.
    HelperClient client(std::make_unique<PeerChannel>(sv[0]));
    const QByteArray folder = QFile::encodeName(dir.path());
    // One helper answers one request after another, each as the local disk does.
    for (const QByteArray& path : {folder + "/watch.ini", folder, folder + "/none"}) {
        QStringList names;
        const auto each = [&names](const char* n, const FileAnswer& a) { names << n + (' ' + describe(a)); };
        QCOMPARE(describe(client.ask(Op::Stat, path, {}, nullptr, {}).answer), describe(LocalQuery::stat(path)));
        QCOMPARE(describe(client.ask(Op::List, path, each, nullptr, {}).answer),
                 describe(LocalQuery::list(path, [](const char*, const FileAnswer&) {})));
        QCOMPARE(names, path == folder ? QStringList{"watch.ini found file 11"} : QStringList());
        QByteArray bytes;
        QByteArray local;
        if (path != folder) { // a folder read here has no errno of its own
            QCOMPARE(describe(client.ask(Op::Read, path, {}, &bytes, {}).answer),
                     describe(LocalQuery::read(path, local)));
            QCOMPARE(bytes, local);
        }
    }
}

void TestHelperClient::startsTheHelperProgram()
{
    QString why;
    HelperClient::setProgram(QStringLiteral("/nonexistent/staleguard-query"));
    QVERIFY(!HelperClient::start(why));
    QCOMPARE(why, QString::fromLocal8Bit(std::strerror(ENOENT)));

    HelperClient::setProgram(QStringLiteral(STALEGUARD_QUERY_HELPER));
    const std::unique_ptr<HelperClient> client = HelperClient::start(why);
    QVERIFY(client);
    QCOMPARE(describe(client->ask(Op::Stat, "/", {}, nullptr, {}).answer), describe(LocalQuery::stat("/")));
    const std::unique_ptr<QueryChannel> channel = client->release();
    QVERIFY(channel->processId() > 0);
    QVERIFY(!channel->ended());
    // Given up, it is killed, and reaped once it has ended.
    channel->abandon();
    QTRY_VERIFY(channel->ended());
}

QTEST_GUILESS_MAIN(TestHelperClient)
#include "tst_helperclient.moc"
