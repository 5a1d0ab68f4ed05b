// Runs on a private session bus of its own (dbus-run-session), where it plays the desktop's
// notification server, a tray host and logind itself.
#include "background/BackgroundCheckHost.h"
#include "background/BackgroundChecks.h"
#include "background/CheckScheduler.h"
#include "background/DBusNotificationService.h"
#include "background/DesktopNotifier.h"
#include "base/AppInfo.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QList<CheckRow> rowsOf(const QStringList& texts, qint16 firstEntry = 0)
{
    QList<CheckRow> rows;
    for (const QString& text : texts)
        rows.append(CheckRow{text, qint16(firstEntry + rows.size()), QStringLiteral("/srv/") + text});
    return rows;
}

} // namespace

// A notification server that records what it is sent.
class FakeNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call
    {
        QString appName;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        uint id = 0;
    };

    explicit FakeNotificationServer(const QString& connectionName)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName))
    {
        m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots);
    }
    ~FakeNotificationServer() override { QDBusConnection::disconnectFromBus(m_bus.name()); }

    bool start() { return m_bus.registerService(DBusNotificationService::serviceName()); }
    void stop() { m_bus.unregisterService(DBusNotificationService::serviceName()); }

    void emitSignal(const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, name);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }

    QList<Call> calls;

public slots:
    uint Notify(const QString& appName, uint, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int)
    {
        calls.append(Call{appName, icon, summary, body, actions, hints, uint(calls.size() + 41)});
        return calls.last().id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body-markup")}; }
    void CloseNotification(uint) {}

private:
    QDBusConnection m_bus;
};

class TestDesktopBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs a session bus: run it under dbus-run-session");
    }

    void notificationContent_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("remindOffered");

        QTest::newRow("one row") << QStringList{"Backup is 8 days old"} << "Backup is 8 days old" << true;
        QTest::newRow("five rows") << QStringList{"A is 1 day old", "B is 2 days old", "C has changed", "D has changed",
                                                  "E is 9 days old"}
                                   << "A is 1 day old\nB is 2 days old\nC has changed\nD has changed\nE is 9 days old"
                                   << false;
        QTest::newRow("seven rows") << QStringList{"A is 1 day old", "B is 2 days old", "C has changed",
                                                   "D has changed",  "E is 9 days old", "F has changed",
                                                   "G has changed"}
                                    << "A is 1 day old\nB is 2 days old\nC has changed\nD has changed\nE is 9 days "
                                       "old\nand 2 more"
                                    << false;
        QTest::newRow("markup characters")
            << QStringList{"Tax & <fees> are 3 days old"} << "Tax &amp; &lt;fees&gt; are 3 days old" << true;
    }

    void notificationContent()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, body);
        QFETCH(bool, remindOffered);
        FakeNotificationServer server(QStringLiteral("content"));
        QVERIFY(server.start());
        DBusNotificationService service;
        DesktopNotifier notifier(service);
        QVERIFY(notifier.notifyRows(rowsOf(rows)));
        QTRY_COMPARE(server.calls.size(), 1);
        const FakeNotificationServer::Call& call = server.calls.first();
        QCOMPARE(call.summary, AppInfo::productName());
        QCOMPARE(call.appName, AppInfo::productName());
        QCOMPARE(call.icon, AppInfo::appId());
        QCOMPARE(call.body, body);
        QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(), AppInfo::appId());
        const QVariant urgency = call.hints.value(QStringLiteral("urgency"));
        QCOMPARE(urgency.metaType(), QMetaType::fromType<uchar>());
        QCOMPARE(urgency.value<uchar>(), uchar(1));
        QStringList actions{QStringLiteral("default"), QStringLiteral("Open Staleguard")};
        if (remindOffered)
            actions << QStringLiteral("remind-tomorrow") << QStringLiteral("Remind me tomorrow")
                    << QStringLiteral("show-in-folder") << QStringLiteral("Show in Folder");
        QCOMPARE(call.actions, actions);
    }

    void actionsReachTheWindow()
    {
        FakeNotificationServer server(QStringLiteral("actions"));
        QVERIFY(server.start());
        DBusNotificationService service;
        DesktopNotifier notifier(service);
        QSignalSpy open(&notifier, &DesktopNotifier::openRequested);
        QSignalSpy remind(&notifier, &DesktopNotifier::remindTomorrowRequested);
        QSignalSpy show(&notifier, &DesktopNotifier::showInFolderRequested);

        const QString place = QStringLiteral("/srv/Nächte/backup.tar");
        QVERIFY(notifier.notifyRows({CheckRow{QStringLiteral("Backup is 8 days old"), 7, place}}));
        QVERIFY(notifier.notifyRows(rowsOf({QStringLiteral("A has changed"), QStringLiteral("B has changed")}, 2)));
        QTRY_COMPARE(server.calls.size(), 2);
        const uint single = server.calls[0].id;
        const uint several = server.calls[1].id;
        // Let the ids come back before the user clicks.
        QTest::qWait(50);

        server.emitSignal(QStringLiteral("ActionInvoked"), {single, QStringLiteral("remind-tomorrow")});
        QTRY_COMPARE(remind.count(), 1);
        QCOMPARE(remind.first().first().value<qint16>(), qint16(7));
        server.emitSignal(QStringLiteral("ActionInvoked"), {single, QStringLiteral("show-in-folder")});
        QTRY_COMPARE(show.count(), 1);
        QCOMPARE(show.first().first().toString(), place);
        server.emitSignal(QStringLiteral("ActionInvoked"), {several, QStringLiteral("default")});
        QTRY_COMPARE(open.count(), 1);
        // Someone else's notification, and one of ours that is gone.
        server.emitSignal(QStringLiteral("ActionInvoked"), {uint(999), QStringLiteral("default")});
        server.emitSignal(QStringLiteral("NotificationClosed"), {single, uint(2)});
        server.emitSignal(QStringLiteral("ActionInvoked"), {single, QStringLiteral("remind-tomorrow")});
        server.emitSignal(QStringLiteral("ActionInvoked"), {single, QStringLiteral("show-in-folder")});
        // A last, valid click shows the ones before it were all handled.
        server.emitSignal(QStringLiteral("ActionInvoked"), {several, QStringLiteral("default")});
        QTRY_COMPARE(open.count(), 2);
        QCOMPARE(remind.count(), 1);
        QCOMPARE(show.count(), 1);
    }

    void withoutServerNothingFails()
    {
        DBusNotificationService service;
        DesktopNotifier notifier(service);
        const QList<CheckRow> rows = rowsOf({QStringLiteral("Backup is 8 days old")});
        QVERIFY(!notifier.notifyRows(rows));

        FakeNotificationServer server(QStringLiteral("vanishing"));
        QVERIFY(server.start());
        QVERIFY(notifier.notifyRows(rows));
        QTRY_COMPARE(server.calls.size(), 1);
        server.stop();
        QVERIFY(!notifier.notifyRows(rows));
        // Gone just after it was asked for: the call fails quietly.
        QVERIFY(server.start());
        QVERIFY(notifier.notifyRows(rows));
        server.stop();
        QTest::qWait(100);
        QVERIFY(!notifier.notifyRows({}));
    }

    void trayHostAppearing()
    {
        // A window with a watch list of nothing, and never busy.
        struct Host : BackgroundCheckHost
        {
            QTemporaryDir dir;
            QString inifilename() const override { return dir.filePath(QStringLiteral("none.ini")); }
            QString tempinifilename() const override { return dir.filePath(QStringLiteral("rows.tmp")); }
            bool showsAll() const override { return false; }
            bool isBusy() const override { return false; }
        } window;
        BackgroundChecks checks(window);
        checks.start(QDBusConnection(QStringLiteral("no system bus")));
        QSignalSpy appeared(&checks, &BackgroundChecks::trayHostAppeared);
        QDBusConnection host = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("host"));
        QVERIFY(host.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        QTRY_COMPARE(appeared.count(), 1);
        QDBusConnection::disconnectFromBus(host.name());
    }

    void wakeFromLogind()
    {
        CheckScheduler scheduler;
        QSignalSpy due(&scheduler, &CheckScheduler::checkDue);
        scheduler.start(QDBusConnection::sessionBus());
        QVERIFY(scheduler.listensForSleep());
        QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind"));
        QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        const auto sleep = [&](bool sleeping) {
            QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                                             QStringLiteral("PrepareForSleep"));
            signal << sleeping;
            QVERIFY(logind.send(signal));
        };
        sleep(true);
        sleep(false);
        QTRY_COMPARE(due.count(), 1);
        QCOMPARE(due.first().first().value<CheckScheduler::Reason>(), CheckScheduler::Reason::Wake);
        QTest::qWait(100);
        QCOMPARE(due.count(), 1);
        QDBusConnection::disconnectFromBus(logind.name());
    }
};

QTEST_MAIN(TestDesktopBus)
#include "tst_desktopbus.moc"
