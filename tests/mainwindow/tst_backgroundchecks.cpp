#include "GatedChannel.h"
#include "MainWindowFixture.h"
#include "PromptChecks.h"
#include "TestHelpers.h"
#include "background/BackgroundChecks.h"
#include "background/NotificationService.h"
#include "controls/Prompter.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/EntryChecker.h"
#include "engine/FileQuery.h"
#include "mainwindow/frmfiledsip.h"
#include "store/IniFile.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace TestHelpers;
using PromptChecks::missingFileQuestions;

namespace {

// Takes every notification and keeps it, as a desktop's server would show it.
class RecordingService : public NotificationService
{
public:
    using NotificationService::NotificationService;

    bool send(const Message& message, std::function<void(uint id)> delivered) override
    {
        sent.append(message);
        delivered(uint(sent.size()));
        return true;
    }

    QList<Message> sent;
};

} // namespace

class TestBackgroundChecks : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;
    std::unique_ptr<RecordingService> m_service;

    // The window over the fixture's watch list, its notifications kept off the desktop.
    frmfiledsip& load(bool show = false)
    {
        frmfiledsip& window = show ? m_fx->loadAndShow() : m_fx->load();
        checksOf(window).useNotificationService(*m_service);
        return window;
    }

    static BackgroundChecks& checksOf(frmfiledsip& window) { return *window.findChild<BackgroundChecks*>(); }

    // Runs one background check to its end; true when its rows reached the list.
    static bool runCheck(frmfiledsip& window)
    {
        BackgroundChecks& checks = checksOf(window);
        QSignalSpy done(&checks, &BackgroundChecks::checkFinished);
        checks.requestCheck();
        return done.wait(10000) && done.first().first().toBool();
    }

    // Makes the file a share of its own, whose answers wait behind the returned gate until it opens.
    static std::shared_ptr<QueryGate> shareAt(const QString& file)
    {
        const std::shared_ptr<QueryGate> gate = QueryGate::install();
        FileQuery::setMountTable(MountTable::parse("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 0:9 / " +
                                                   QFile::encodeName(file) + " rw - nfs4 nas:/b rw\n"));
        return gate;
    }

private slots:
    void initTestCase() { MainWindowFixture::isolate(); }
    void init()
    {
        m_fx = MainWindowFixture::scripted();
        m_service = std::make_unique<RecordingService>();
    }
    void cleanup()
    {
        m_fx.reset();
        m_service.reset();
        QueryGate::uninstall();
        FileQuery::setMountTable(std::nullopt);
    }

    void missingFileIsAskedAboutOnlyByTheUser()
    {
        const QDateTime old = QDateTime::currentDateTime().addDays(-9);
        m_fx->addEntry(0, QStringLiteral("Backup"), old, 5);
        const QString gone = m_fx->addEntry(1, QStringLiteral("Accounts"), old, 5);
        m_fx->writeWatchList();
        QFile::remove(gone);
        Prompter::queueAnswer(false);
        frmfiledsip& window = load();
        QCOMPARE(missingFileQuestions(gone), 1);

        QVERIFY(runCheck(window));
        QCOMPARE(missingFileQuestions(gone), 1);
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 9 days old")});
        QVERIFY(!stored(m_fx->ini(), 1, QStringLiteral("Notactive")).contains(QStringLiteral("true")));

        Prompter::queueAnswer(false);
        window.optionsrefreash_Click();
        QCOMPARE(missingFileQuestions(gone), 2);
    }

    void selectionAndScrollStay()
    {
        const QDateTime old = QDateTime::currentDateTime().addDays(-9);
        QStringList files;
        for (int i = 0; i < 60; ++i)
            files << m_fx->addEntry(i, QStringLiteral("Entry %1").arg(i), old, 5);
        m_fx->writeWatchList();
        frmfiledsip& window = load(true);
        m_fx->select(40);
        window.listoldfiles->scrollToItem(window.listoldfiles->item(40));
        const int scroll = window.listoldfiles->verticalScrollBar()->value();
        // A row above the selection goes: the selected entry moves up a row and stays selected.
        touch(files[3], QDateTime::currentDateTime());

        QVERIFY(runCheck(window));
        QCOMPARE(window.listoldfiles->count(), 59);
        QCOMPARE(window.realfilenumber(), qint16(40));
        QCOMPARE(window.listoldfiles->currentRow(), 39);
        QCOMPARE(window.listoldfiles->verticalScrollBar()->value(), scroll);
    }

    void agesGrowAtMidnight()
    {
        const QDateTime beforeMidnight(QDate(2026, 3, 10), QTime(23, 59, 59));
        Clock::setMock(beforeMidnight);
        m_fx->addEntry(0, QStringLiteral("Backup"), beforeMidnight.addDays(-6), 5);
        m_fx->writeWatchList();
        frmfiledsip& window = load();
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 6 days old")});
        BackgroundChecks& checks = checksOf(window);
        QVERIFY(checks.scheduler().midnightDelayMsecs() <= 1000);
        QSignalSpy done(&checks, &BackgroundChecks::checkFinished);
        Clock::advanceMock(1500);

        QVERIFY(done.wait(10000));
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 7 days old")});
        QCOMPARE(checks.scheduler().midnightTarget().date(), QDate(2026, 3, 12));
    }

    void newRowsNotifyOnceAndRemindTomorrowPostponesTheirEntry()
    {
        const QDateTime now = QDateTime::currentDateTime();
        const QString fresh = m_fx->addEntry(0, QStringLiteral("Fresh"), now, 5);
        const QString backup = m_fx->addEntry(1, QStringLiteral("Backup"), now, 5);
        m_fx->writeWatchList();
        frmfiledsip& window = load();
        RecordingService& service = *m_service;
        QVERIFY(runCheck(window));
        QVERIFY(service.sent.isEmpty());

        touch(backup, now.addDays(-8));
        QVERIFY(runCheck(window));
        QVERIFY(runCheck(window));
        QCOMPARE(service.sent.size(), 1);
        QCOMPARE(service.sent.first().body, QStringLiteral("Backup is 8 days old"));
        QVERIFY(!window.isVisible());

        emit service.actionInvoked(1, QStringLiteral("remind-tomorrow"));
        QCOMPARE(stored(m_fx->ini(), 1, QStringLiteral("Postponedate")),
                 DateTexts::shortDate(Clock::today().addDays(1)));
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Postponedate")), QString());
        QVERIFY(m_fx->rows().isEmpty());

        IniFile::instance().WriteString(QStringLiteral("Settings"), QStringLiteral("Notify"), QStringLiteral("false"),
                                        m_fx->ini());
        touch(fresh, now.addDays(-8));
        QVERIFY(runCheck(window));
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Fresh is 8 days old")});
        QCOMPARE(service.sent.size(), 1);
    }

    void shareThatHangsStopsNothing()
    {
        const QDateTime old = QDateTime::currentDateTime().addDays(-9);
        m_fx->addEntry(0, QStringLiteral("Backup"), old, 5);
        const QString remote = m_fx->addEntry(1, QStringLiteral("Remote"), old, 5);
        m_fx->writeWatchList(QStringLiteral("Share timeout=60\n"));
        // The entry's own path is the share's mount point: the share is asked about that file alone.
        const std::shared_ptr<QueryGate> gate = shareAt(remote);
        gate->open();
        frmfiledsip& window = load();
        gate->close();
        // The start's helper has ended, so the one running below is the background check's.
        QTRY_COMPARE(gate->running(), 0);

        // A background check meets the share as it stops answering; the user's refresh does not
        // wait for it, nor for the share.
        BackgroundChecks& checks = checksOf(window);
        QSignalSpy done(&checks, &BackgroundChecks::checkFinished);
        checks.requestCheck();
        QTRY_COMPARE(gate->running(), 1);
        const int opened = gate->opened();
        QElapsedTimer timer;
        timer.start();
        window.optionsrefreash_Click();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(m_fx->rows(),
                 (QStringList{QStringLiteral("Backup is 9 days old"), QStringLiteral("Remote cannot be reached")}));
        QTRY_COMPARE(done.count(), 1); // the check that was stopped, its rows dropped
        QVERIFY(runCheck(window));
        QCOMPARE(gate->opened(), opened); // the share is not asked again while its helper is stuck

        gate->open();
        QTRY_COMPARE(FileQuery::stuckHelpers(), 0);
        QVERIFY(runCheck(window));
        QCOMPARE(m_fx->rows(),
                 (QStringList{QStringLiteral("Backup is 9 days old"), QStringLiteral("Remote is 9 days old")}));
    }

    void checkWaitsForAnOpenDialog()
    {
        const QString backup = m_fx->addEntry(0, QStringLiteral("Backup"), QDateTime::currentDateTime(), 5);
        m_fx->writeWatchList();
        frmfiledsip& window = load(true);
        BackgroundChecks& checks = checksOf(window);
        QDialog dialog(&window);
        dialog.setModal(true);
        dialog.show();
        QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
        touch(backup, QDateTime::currentDateTime().addDays(-8));
        QSignalSpy done(&checks, &BackgroundChecks::checkFinished);
        checks.requestCheck();
        QTest::qWait(1500);
        QVERIFY(done.isEmpty());
        QVERIFY(checks.isPending());
        QVERIFY(m_fx->rows().isEmpty());

        dialog.close();
        QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty(), 10000);
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 8 days old")});

        // A dialog that opens while a check runs keeps the list as the dialog found it, until it closes.
        const std::shared_ptr<QueryGate> gate =
            shareAt(m_fx->addEntry(1, QStringLiteral("Remote"), QDateTime::currentDateTime(), 5));
        m_fx->writeWatchList(QStringLiteral("Share timeout=60\n"));
        touch(backup, QDateTime::currentDateTime());
        done.clear();
        checks.requestCheck();
        QTRY_COMPARE(gate->running(), 1);
        dialog.show();
        QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
        gate->open();
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(done.first().first().toBool(), false);
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 8 days old")});
        dialog.close();
        QTRY_VERIFY_WITH_TIMEOUT(done.count() == 2, 10000);
        QVERIFY(m_fx->rows().isEmpty());
    }
};

QTEST_MAIN(TestBackgroundChecks)
#include "tst_backgroundchecks.moc"
