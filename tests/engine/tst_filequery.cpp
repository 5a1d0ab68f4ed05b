#include "GatedChannel.h"
#include "TestHelpers.h"
#include "engine/EntryChecker.h"
#include "engine/FileQuery.h"
#include "engine/HelperClient.h"
#include "engine/MissingFileQuestion.h"
#include "engine/WatchList.h"
#include "store/IniFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

using State = FileQuery::Answer::State;

class TestFileQuery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void shareTimeout_data();
    void shareTimeout();
    void shareAnswersThroughTheChannel();
    void stuckShareHoldsOneHelper();
    void stoppedQueryGivesUpAtOnce_data();
    void stoppedQueryGivesUpAtOnce();
    void queryWaitsOnAShareBehindTheOneBeforeIt_data();
    void queryWaitsOnAShareBehindTheOneBeforeIt();
    void realHelperProcess();
    void checkListsUnreachableWithoutAsking();

private:
    MountTable withShare() const;
    QString local() const { return m_dir.path() + QStringLiteral("/local"); }
    QString share() const { return m_dir.path() + QStringLiteral("/share"); }

    QTemporaryDir m_dir;
    std::shared_ptr<QueryGate> m_gate;
};

MountTable TestFileQuery::withShare() const
{
    return MountTable::parse("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 0:50 / " + QFile::encodeName(share()) +
                             " rw - nfs4 server:/backups rw\n");
}

void TestFileQuery::init()
{
    QDir().mkpath(local());
    QDir().mkpath(share() + QStringLiteral("/sub"));
    TestHelpers::touch(share() + QStringLiteral("/sub/backup.tar"), QDateTime::currentDateTime().addDays(-3));
    TestHelpers::touch(local() + QStringLiteral("/notes.txt"), QDateTime::currentDateTime());
    // A link from a local folder onto the share is followed without our process touching the share.
    QFile::link(share() + QStringLiteral("/sub"), local() + QStringLiteral("/link"));
    m_gate = QueryGate::install();
    FileQuery::setMountTable(withShare());
}

void TestFileQuery::cleanup()
{
    // Stuck channels end once their gate opens; none may be left for the next test.
    m_gate->open();
    QTRY_COMPARE(FileQuery::stuckHelpers(), 0);
    QueryGate::uninstall();
    FileQuery::setMountTable(std::nullopt);
    HelperClient::setProgram(QString());
}

void TestFileQuery::shareTimeout_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("seconds");
    QTest::newRow("missing") << QString() << 5;
    QTest::newRow("set") << QStringLiteral(" 12 s") << 12;
    QTest::newRow("text") << QStringLiteral("soon") << 1;
    QTest::newRow("zero") << QStringLiteral("0") << 1;
    QTest::newRow("negative") << QStringLiteral("-30") << 1;
    QTest::newRow("huge") << QStringLiteral("99999999") << 60;
}

void TestFileQuery::shareTimeout()
{
    QFETCH(QString, stored);
    QFETCH(int, seconds);
    QCOMPARE(FileQuery::shareTimeoutSeconds(stored), seconds);
}

void TestFileQuery::shareAnswersThroughTheChannel()
{
    m_gate->open();
    FileQuery query(1);
    const FileQuery::Answer found = query.stat(local() + QStringLiteral("/link/backup.tar"));
    QVERIFY(found.isFile());
    QCOMPARE(found.mtimeSec, QFileInfo(share() + QStringLiteral("/sub/backup.tar")).lastModified().toSecsSinceEpoch());
    QCOMPARE(query.stat(share() + QStringLiteral("/sub/gone.tar")).state, State::Missing);
    QStringList names;
    QCOMPARE(query
                 .list(share() + QStringLiteral("/sub"),
                       [&](const char* name, const FileQuery::Answer& a) {
                           if (a.isFile())
                               names.append(QString::fromUtf8(name));
                       })
                 .state,
             State::Found);
    QCOMPARE(names, QStringList{QStringLiteral("backup.tar")});
    QCOMPARE(query.stat(local() + QStringLiteral("/notes.txt")).state, State::Found);
    QCOMPARE(m_gate->opened(), 1);
}

void TestFileQuery::stuckShareHoldsOneHelper()
{
    const QString file = share() + QStringLiteral("/sub/backup.tar");
    QElapsedTimer timer;
    timer.start();
    for (int check = 0; check < 3; ++check) {
        FileQuery query(1);
        const FileQuery::Answer answer = query.stat(file);
        QCOMPARE(answer.state, State::Unreachable);
        QCOMPARE(answer.why, QStringLiteral("No answer within 1 s"));
        // The rest of the check does not wait again on the same share.
        QCOMPARE(query.stat(share() + QStringLiteral("/other")).state, State::Unreachable);
        QCOMPARE(query.stat(local() + QStringLiteral("/notes.txt")).state, State::Found);
        QStringList listed;
        query.list(local(), [&listed](const char* name, const FileQuery::Answer& a) {
            listed << QString::fromUtf8(name) + (a.state == State::Unreachable ? " unreachable" : " found");
        });
        listed.sort();
        QCOMPARE(listed, (QStringList{"link unreachable", "notes.txt found"}));
    }
    QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(m_gate->opened(), 1);
    QCOMPARE(FileQuery::stuckHelpers(), 1);

    m_gate->open();
    QTRY_COMPARE(FileQuery::stuckHelpers(), 0);
    FileQuery again(1);
    QVERIFY(again.stat(file).isFile());
}

void TestFileQuery::stoppedQueryGivesUpAtOnce_data()
{
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<QString>("why");
    QTest::newRow("stopped") << true << QStringLiteral("The check was stopped");
    // The share had less than its timeout: the text says what it had.
    QTest::newRow("the run's deadline") << false << QStringLiteral("No answer within 1 s");
}

void TestFileQuery::stoppedQueryGivesUpAtOnce()
{
    QFETCH(bool, stopped);
    FileQuery query(60);
    QElapsedTimer timer;
    timer.start();
    if (stopped)
        query.setAbandon([&timer] { return timer.elapsed() > 100; });
    else
        query.setDeadline(QDeadlineTimer(200));
    const FileQuery::Answer answer = query.stat(share() + QStringLiteral("/sub/backup.tar"));
    QCOMPARE(answer.state, State::Unreachable);
    QTEST(answer.why, "why");
    QVERIFY(timer.elapsed() < 1000);
    // The rest of the query does not wait on the share again.
    timer.restart();
    QTEST(query.stat(share() + QStringLiteral("/sub")).why, "why");
    QVERIFY(timer.elapsed() < 100);
}

void TestFileQuery::queryWaitsOnAShareBehindTheOneBeforeIt_data()
{
    QTest::addColumn<bool>("shareAnswers");
    QTest::addColumn<bool>("askedBefore"); // the later query had its own helper on the share already
    QTest::addColumn<int>("state");
    // A check stopped while the share hangs, whose thread gives up only later, as on a loaded machine.
    QTest::newRow("the first is stopped") << false << false << int(State::Unreachable);
    QTest::newRow("the share answers the first") << true << false << int(State::Found);
    // Its own helper answered once; what the one before learnt since counts, not that.
    QTest::newRow("the first is stopped, the later had a helper") << false << true << int(State::Unreachable);
    QTest::newRow("the share answers both") << true << true << int(State::Found);
}

void TestFileQuery::queryWaitsOnAShareBehindTheOneBeforeIt()
{
    QFETCH(bool, shareAnswers);
    QFETCH(bool, askedBefore);
    QFETCH(int, state);
    const QString file = share() + QStringLiteral("/sub/backup.tar");
    // Asked on its own, the share would be given the whole 5 s.
    FileQuery second(5);
    if (askedBefore) {
        m_gate->open();
        QVERIFY(second.stat(file).isFile());
        m_gate->close();
    }
    const int opened = m_gate->opened();
    const int running = m_gate->running();
    std::atomic<bool> stop{false};
    std::thread first([&] {
        FileQuery query(60);
        query.setAbandon([&stop] { return stop.load(); });
        query.stat(file);
    });
    QTRY_COMPARE(m_gate->running(), running + 1);
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (shareAnswers)
            m_gate->open();
        else
            stop = true;
    });
    QElapsedTimer timer;
    timer.start();
    const FileQuery::Answer answer = second.stat(file);
    const qint64 waited = timer.elapsed();
    later.join();
    first.join();
    QCOMPARE(int(answer.state), state);
    QVERIFY2(waited < 2000, qPrintable(QString::number(waited)));
    // A share that hangs holds the one helper given up, not one for each query.
    if (!shareAnswers)
        QCOMPARE(m_gate->opened(), opened + 1);
}

void TestFileQuery::realHelperProcess()
{
    QueryGate::uninstall();
    HelperClient::setProgram(QStringLiteral(STALEGUARD_QUERY_HELPER));
    FileQuery query(5);
    QVERIFY(query.stat(share() + QStringLiteral("/sub/backup.tar")).isFile());
    QByteArray bytes;
    QCOMPARE(query.read(share() + QStringLiteral("/sub/nothing"), bytes).state, State::Missing);

    // Never asked directly instead: the entry cannot be reached, and says why.
    HelperClient::setProgram(m_dir.path() + QStringLiteral("/no-such-helper"));
    FileQuery without(5);
    const FileQuery::Answer answer = without.stat(share() + QStringLiteral("/sub/backup.tar"));
    QCOMPARE(answer.state, State::Unreachable);
    QVERIFY2(answer.why.contains(QStringLiteral("No such file")), qPrintable(answer.why));
}

void TestFileQuery::checkListsUnreachableWithoutAsking()
{
    const QString ini = m_dir.path() + QStringLiteral("/watch.ini");
    const QByteArray folderEntry = QFile::encodeName(share()) + "/sub/backup.tar";
    TestHelpers::writeAll(ini, "[Settings]\nShare timeout=1\n"
                               "[file 0]\nfilename=" +
                                   QFile::encodeName(local()) +
                                   "/notes.txt\ndescription=Diary\ndays=0\n"
                                   "[file 1]\nfilename=" +
                                   QFile::encodeName(share()) +
                                   "/sub/backup.tar\ndescription=Backup\ndays=30\n"
                                   "[file 2]\nfilename=" +
                                   folderEntry + "\ndescription=Backups\ndays=30\nnon-fixed file type=1\n");
    IniFile store;
    FileQuery files(1);
    const EntryChecker::Result result =
        EntryChecker(files, QDate::currentDate()).check(WatchList::read(store, ini), false);
    QCOMPARE(TestHelpers::rowTexts(result.rows),
             (QStringList{QStringLiteral("Diary is 0 days old"), QStringLiteral("Backup cannot be reached"),
                          QStringLiteral("Backups cannot be reached")}));
    QVERIFY(result.gone.isEmpty());
    // The folder's stored pick stays: the folder itself is not handed back to be written.
    QVERIFY(result.picks.isEmpty());
}

QTEST_GUILESS_MAIN(TestFileQuery)
#include "tst_filequery.moc"
