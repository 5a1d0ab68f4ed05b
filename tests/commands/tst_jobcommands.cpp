#include "MainWindowFixture.h"
#include "TestHelpers.h"
#include "background/BackgroundChecks.h"
#include "background/NotificationService.h"
#include "commands/JobCommands.h"
#include "controls/Prompter.h"
#include "desktop/WatchedJobStarter.h"
#include "editor/EditorCommands.h"
#include "editor/frmaddnewfile.h"
#include "engine/Clock.h"
#include "engine/LateJob.h"
#include "mainwindow/frmfiledsip.h"
#include "store/IniFile.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using Outcome = JobStarter::Outcome;

namespace {

// Starts nothing: keeps what it was asked to start, to be ended by hand.
class HeldStarter : public JobStarter
{
public:
    void start(const JobCommand& command, const QString&, Ended ended) override
    {
        started.append(command);
        pending.append(std::move(ended));
    }
    void end(const Outcome& outcome) { pending.takeFirst()(outcome); }

    QList<JobCommand> started;
    QList<Ended> pending;
};

// A notification server that takes every notice, or none, or keeps them without ever answering.
class RecordingService : public NotificationService
{
public:
    enum class Answer
    {
        Takes,
        NoServer,
        NeverAnswers
    };
    bool send(const Message& message, std::function<void(uint)> delivered) override
    {
        if (answer == Answer::NoServer)
            return false;
        sent.append(message);
        if (answer == Answer::Takes)
            delivered(uint(sent.size()));
        return true;
    }
    QStringList jobNotices() const
    {
        QStringList out;
        for (const Message& m : sent)
            if (m.body.startsWith(QStringLiteral("The job for")))
                out << m.body;
        return out;
    }

    Answer answer = Answer::Takes;
    QList<Message> sent;
};

QStringList boxTexts()
{
    QStringList out;
    for (const Prompter::Record& r : Prompter::history())
        out << r.title + QStringLiteral(": ") + r.text;
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestJobCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;
    RecordingService m_service;
    HeldStarter m_held;

    // The window over one old entry, "Backup", with `keys` and `settings`; jobs go to the held starter.
    frmfiledsip& load(const QString& keys, const QString& settings = QString())
    {
        m_fx->addEntry(0, QStringLiteral("Backup"), Clock::now().addDays(-9), 5, keys);
        m_fx->writeWatchList(settings);
        frmfiledsip& window = m_fx->load();
        checks().useNotificationService(m_service);
        jobs().useStarter(m_held);
        return window;
    }
    JobCommands& jobs() const { return *m_fx->window().jobs(); }
    BackgroundChecks& checks() const { return *m_fx->window().findChild<BackgroundChecks*>(); }

    bool runCheck()
    {
        QSignalSpy done(&checks(), &BackgroundChecks::checkFinished);
        checks().requestCheck();
        return done.wait(10000) && done.first().first().toBool();
    }

    // Whether the pop-up of row 0 offers "Run the Job Now", and whether it may be chosen.
    QPair<bool, bool> popupItem()
    {
        m_fx->select(0);
        QListWidget* list = m_fx->window().listoldfiles;
        bool enabled = false;
        const QList<QAction*> shown = answerPopup(
            [&] {
                QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(0)).center());
            },
            [&](QMenu* menu) {
                enabled = jobs().runJobNow()->isEnabled();
                menu->close();
            });
        return {shown.contains(jobs().runJobNow()), enabled};
    }

private slots:
    void initTestCase()
    {
        MainWindowFixture::isolate();
        qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toLocal8Bit());
        WatchedJobStarter::setWatcher(QStringLiteral(STALEGUARD_JOB_HELPER));
    }
    void init()
    {
        m_fx = MainWindowFixture::scripted();
        m_service.sent.clear();
        m_service.answer = RecordingService::Answer::Takes;
        m_held = HeldStarter();
    }
    void cleanup() { m_fx.reset(); }

    void neverTwiceAtOnce()
    {
        load(QStringLiteral("job=sh -c \"exit 0\""));
        QCOMPARE(popupItem(), qMakePair(true, true));
        jobs().runNow(0);
        jobs().runNow(0);
        jobs().runLate(0);
        emit m_service.actionInvoked(1, QStringLiteral("run-job"));
        QCOMPARE(m_held.started.size(), 1);
        QCOMPARE(m_held.started.first().arguments, (QStringList{"-c", "exit 0"}));
        QCOMPARE(popupItem(), qMakePair(true, false));

        // Once it has ended well the list is checked again, and it may run again.
        QSignalSpy checked(&checks(), &BackgroundChecks::checkFinished);
        m_held.end(Outcome{Outcome::Kind::Exited, 0, {}, {}});
        QVERIFY(checked.wait(10000));
        QVERIFY(Prompter::history().isEmpty() && m_service.jobNotices().isEmpty());
        jobs().runNow(0);
        QCOMPARE(m_held.started.size(), 2);
    }

    void theNotificationOffersIt_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("offered");
        QTest::newRow("a job") << "job=/bin/true" << true;
        QTest::newRow("no job") << "" << false;
    }

    void theNotificationOffersIt()
    {
        QFETCH(QString, keys);
        QFETCH(bool, offered);
        load(keys);
        Clock::setMock(Clock::now().addDays(1)); // the row's age grows: news again
        QVERIFY(runCheck());
        QCOMPARE(m_service.sent.size(), 1);
        QCOMPARE(m_service.sent.first().actions.contains(QStringLiteral("run-job")), offered);
        QCOMPARE(popupItem().first, offered);
        emit m_service.actionInvoked(1, QStringLiteral("run-job"));
        QCOMPARE(m_held.started.size(), offered ? 1 : 0);
    }

    void whatTheUserIsTold_data()
    {
        QTest::addColumn<Outcome>("ended");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("server");
        QTest::addColumn<QString>("notice"); // empty for none
        QTest::addColumn<bool>("inABox");

        const int takes = int(RecordingService::Answer::Takes);
        const QString status = QStringLiteral("The job for Backup ended with exit status 3.\nIt last wrote: disk full");
        QTest::newRow("an exit status and what it last wrote")
            << Outcome{Outcome::Kind::Exited, 3, {}, "disk full"} << "" << takes << status << false;
        QTest::newRow("notifications off") << Outcome{Outcome::Kind::Exited, 3, {}, "disk full"} << "Notify=false\n"
                                           << takes << status << true;
        QTest::newRow("no notification server") << Outcome{Outcome::Kind::Exited, 3, {}, "disk full"} << ""
                                                << int(RecordingService::Answer::NoServer) << status << true;
        QTest::newRow("a server that never answers") << Outcome{Outcome::Kind::Exited, 3, {}, "disk full"} << ""
                                                     << int(RecordingService::Answer::NeverAnswers) << status << true;
        QTest::newRow("a signal") << Outcome{Outcome::Kind::Signalled, 9, {}, {}} << "" << takes
                                  << "The job for Backup was stopped by signal 9 (Killed)." << false;
        QTest::newRow("success says nothing")
            << Outcome{Outcome::Kind::Exited, 0, {}, "all done"} << "" << takes << "" << false;
    }

    void whatTheUserIsTold()
    {
        QFETCH(Outcome, ended);
        QFETCH(QString, settings);
        QFETCH(int, server);
        QFETCH(QString, notice);
        QFETCH(bool, inABox);
        load(QStringLiteral("job=/bin/true"), settings);
        m_service.answer = RecordingService::Answer(server);
        jobs().runNow(0);
        m_held.end(ended);
        if (inABox) {
            QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), QStringList{"Staleguard: " + notice},
                                      JobCommands::kDeliveryMsecs + 2000);
        } else {
            QCOMPARE(m_service.jobNotices(), notice.isEmpty() ? QStringList() : QStringList{notice});
            QTest::qWait(50);
            QVERIFY(boxTexts().isEmpty());
        }
    }

    void commandsThatCannotRun_data()
    {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("why");
        QTest::newRow("no such program") << "/nonexistent/backup"
                                         << "The program /nonexistent/backup does not exist.";
        QTest::newRow("not executable") << "@"
                                        << "@ cannot be run: it is not marked as executable.";
    }

    void commandsThatCannotRun()
    {
        QFETCH(QString, job);
        QFETCH(QString, why);
        // "@" stands for the entry's own file, which is no program.
        const QString file = m_fx->filePath(QStringLiteral("watched0.txt"));
        job.replace('@', file);
        why.replace('@', file);
        load(QStringLiteral("job=%1\njob when late=true").arg(job));
        const QByteArray before = TestHelpers::readAll(m_fx->ini());
        jobs().runNow(0);
        QVERIFY(m_held.started.isEmpty());
        QCOMPARE(m_service.jobNotices(), QStringList{"The job for Backup could not start: " + why});
        QCOMPARE(TestHelpers::readAll(m_fx->ini()), before);
        // Started by itself, it is noted all the same: it is not tried again before tomorrow.
        jobs().runLate(0);
        jobs().runLate(0);
        QCOMPARE(m_service.jobNotices().size(), 2);
        QVERIFY(!TestHelpers::stored(m_fx->ini(), 0, QStringLiteral("job started")).isEmpty());
    }

    void aWatchListOthersMayChangeRunsNothing_data()
    {
        QTest::addColumn<uint>("mode");
        QTest::newRow("the group may write") << 0664u;
        QTest::newRow("others may write") << 0606u;
    }

    void aWatchListOthersMayChangeRunsNothing()
    {
        QFETCH(uint, mode);
        load(QStringLiteral("job=/bin/true\njob when late=true"));
        QVERIFY(QFile::setPermissions(
            m_fx->ini(), QFileDevice::Permissions(((mode & 0700) << 6) | ((mode & 070) << 1) | (mode & 07)) |
                             QFileDevice::ReadUser | QFileDevice::WriteUser));
        QCOMPARE(popupItem(), qMakePair(true, false));
        jobs().runLate(0);
        QVERIFY(TestHelpers::stored(m_fx->ini(), 0, QStringLiteral("job started")).isEmpty());
        jobs().runNow(0);
        QVERIFY(m_held.started.isEmpty());
        const QString why = "Jobs do not run: others may change Staleguard.ini (chmod go-w fixes it).";
        QCOMPARE(m_service.jobNotices(), QStringList());
        QCOMPARE(m_service.sent.last().body, why);
        m_fx->window().fileeditfile_Click();
        QCOMPARE(m_fx->window().editor()->editor()->labjobsafety->text(), why);
    }

    // A failing job set to run by itself, checked every minute from 08:00 to the next morning with
    // the program started afresh on the way: it runs under the real watcher once a day.
    void startsByItselfOnceADay()
    {
        QTemporaryDir dir;
        const QString count = dir.filePath(QStringLiteral("count"));
        const QString script = dir.filePath(QStringLiteral("backup"));
        TestHelpers::writeAll(script, "#!/bin/sh\necho run >>\"$1\"\necho 'no backup disk' >&2\nexit 4\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
        const QDateTime morning(QDate(2024, 5, 10), QTime(8, 0));
        Clock::setMock(morning);
        // Quoted as the editor stores it: the file's own pair of quotes around the value comes off.
        const QString keys = QStringLiteral("job=\"\"%1\" \"%2\"\"\njob when late=true").arg(script, count);
        const auto runs = [&] { return TestHelpers::readAll(count).count('\n'); };
        const auto minutes = [&](int n) {
            for (int i = 0; i < n; ++i) {
                Clock::advanceMock(60 * 1000);
                if (!runCheck())
                    return false;
                QTest::qWait(20);
                if (!QTest::qWaitFor([&] { return !jobs().isRunning(0); }, 5000))
                    return false;
            }
            return true;
        };
        load(keys);
        jobs().useStarter(*new WatchedJobStarter(&jobs()));
        QVERIFY(minutes(5));
        QCOMPARE(runs(), 1);
        QTRY_COMPARE(m_service.jobNotices(),
                     QStringList{"The job for Backup ended with exit status 4.\nIt last wrote: no backup disk"});
        QCOMPARE(LateJob::startedDay(TestHelpers::stored(m_fx->ini(), 0, QStringLiteral("job started"))),
                 morning.date());

        m_fx->unload();
        m_fx->load();
        checks().useNotificationService(m_service);
        jobs().useStarter(*new WatchedJobStarter(&jobs()));
        QVERIFY(minutes(3));
        QCOMPARE(runs(), 1);
        Clock::setMock(QDateTime(morning.date().addDays(1), QTime(0, 0)).addSecs(-90));
        QVERIFY(minutes(3));
        QCOMPARE(runs(), 2);
        QCOMPARE(m_service.jobNotices().size(), 2);
    }
};

QTEST_MAIN(TestJobCommands)
#include "tst_jobcommands.moc"
