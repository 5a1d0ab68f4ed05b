#pragma once

#include "background/CheckScheduler.h"
#include "engine/EntryChecker.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>

class BackgroundCheckHost;
class BackgroundOptions;
class DesktopNotifier;
class DBusFileRevealer;
class FolderWatch;
class NotificationPolicy;
class NotificationService;

// Checks the watch list again without the user: at midnight, after a sleep, when a watched folder
// changes and every so many minutes. The file-system work runs on a thread of its own, so a hung
// network folder cannot freeze the window; the rows come back to the window thread. At most one
// check runs at a time, and none starts while the user is busy with the window.
class BackgroundChecks : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundChecks(BackgroundCheckHost& host, QObject* parent = nullptr);
    ~BackgroundChecks() override;

    // Notifications go here instead of the desktop's server (tests put a recorder here).
    void useNotificationService(NotificationService& service);
    // Where notifications go now, for whoever else has something to tell the user.
    NotificationService& notificationService() const { return *m_service; }
    // Whether a notification of a single row offers to run its entry's job.
    void setJobOffer(std::function<bool(qint16 entry)> offered);
    // Starts the triggers; the system bus only serves the sleep signal and may be missing.
    void start(const QDBusConnection& systemBus = QDBusConnection::systemBus());

    // A refresh the user started and saw: its rows are not news, its files are the ones to watch,
    // and a background check running meanwhile is out of date.
    void userRefreshed(const EntryChecker::Result& result);
    // Stops a check that runs and waits for its thread, at most `waitMsecs`, so that it writes
    // nothing after the caller goes on: a refresh of the user's, whose row map file it must not
    // overwrite, or the end of the program. A check that does not stop in time is given up: it
    // writes nothing more, and the next check need not wait for it.
    void halt(int waitMsecs = kHaltMsecs);
    static constexpr int kHaltMsecs = 2000;
    // Asks for a check; it runs as soon as nothing stands in its way.
    void requestCheck();

    bool isRunning() const { return bool(m_job); }
    bool isPending() const { return m_pending; }
    CheckScheduler& scheduler() { return *m_scheduler; }
    FolderWatch& folderWatch() { return *m_folderWatch; }
    // Whether to notify and how often to check; read from the watch list file from start() on.
    BackgroundOptions& options() { return *m_options; }

signals:
    // A check's rows, for the list to show without taking the focus or showing the window, with
    // how many entries it watched.
    void rowsReady(const QList<CheckRow>& rows, qint16 lastEntry, int watched);
    // A check's rows reached the list (or were dropped as out of date).
    void checkFinished(bool applied);
    // A notification asks for the window, as the tray's "Open" does.
    void openRequested();
    // A notification's "Remind me tomorrow": the entry postponed by one day, as the Postpone menu does.
    void remindTomorrowRequested(qint16 entry);
    // A notification's "Run the Job Now".
    void runJobRequested(qint16 entry);
    // A check whose rows reached the list found these entries late, and their jobs due to start by
    // themselves (see LateJob). Starting them, and noting the start, is the receiver's.
    void lateJobsDue(const QList<qint16>& entries);
    // A tray host came up: the icon is made again, and a window waiting in the taskbar moves there.
    void trayHostAppeared();

private:
    struct Job;

    void tryRun();
    void finished(const std::shared_ptr<Job>& job);
    void onCheckDue(CheckScheduler::Reason reason);

    BackgroundCheckHost& m_host;
    NotificationService* m_service = nullptr;
    std::function<bool(qint16)> m_jobOffered;
    std::unique_ptr<DesktopNotifier> m_notifier;
    DBusFileRevealer* m_revealer;
    std::unique_ptr<NotificationPolicy> m_policy;
    CheckScheduler* m_scheduler = nullptr;
    FolderWatch* m_folderWatch = nullptr;
    BackgroundOptions* m_options = nullptr;
    QTimer m_retry;
    std::shared_ptr<Job> m_job;
    QPointer<QThread> m_thread;
    bool m_pending = false;
    bool m_started = false;
    // Raised by every refresh the user starts; a check begun under an older one is out of date.
    quint64 m_generation = 0;
};
