#pragma once

#include "desktop/JobStarter.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>

class BackgroundChecks;
class QAction;
class QWidget;
struct MainWindowMenus;
struct SharedMembers;
class WatchEntry;

// An entry's job: "Run the Job Now" on the list's pop-up and in a row's notification, and the job
// that starts by itself when a check finds its file late. A job runs only from a watch list file
// that is the user's alone (JobSafety), never twice at once for one entry, and detached: it is
// the user's, and goes on when the program ends. One that ends well has the list checked again,
// so that a fresh file's row leaves; one that fails, or cannot start, is told to the user: as a
// desktop notification, or in a message box where notifications are off or nobody shows them.
class JobCommands : public QObject
{
    Q_OBJECT

public:
    // How long a notification server may take to take a notice before the box shows it instead.
    static constexpr int kDeliveryMsecs = 5000;

    using SelectedEntry = std::function<qint16()>;
    JobCommands(const SharedMembers& shared, QWidget* window, const MainWindowMenus& menus, SelectedEntry selected,
                BackgroundChecks& checks);

    // Jobs start here from now on (tests put one here that starts nothing).
    void useStarter(JobStarter& starter) { m_starter = &starter; }

    QAction* runJobNow() const { return m_runJobNow; }
    // Why the entry's job cannot be started now, in one line; empty when it can.
    QString whyNotNow(qint16 entry) const;
    bool isRunning(qint16 entry) const { return m_running.contains(entry); }

    // "Run the Job Now".
    void runNow(qint16 entry);
    // A check found the entry late: its job starts unless it started by itself today already.
    void runLate(qint16 entry);

private:
    void preparePopup();
    void start(qint16 entry, const WatchEntry& stored);
    void ended(qint16 entry, const QString& description, const JobStarter::Outcome& outcome);
    // Names the entry's run for the lock that tells a run still going on, to this copy and others.
    QString lockName(qint16 entry) const;
    // Notices go where the checks' notifications go, when the user wants them.
    void tell(const QString& text);
    void showBox(const QString& text);

    const SharedMembers& m_shared;
    SelectedEntry m_selected;
    BackgroundChecks& m_checks;
    QPointer<QWidget> m_window;
    JobStarter* m_starter;
    QAction* m_runJobNow;
    QSet<qint16> m_running;
    // The day the user was told that an entry's start by itself could not be noted.
    QHash<qint16, QDate> m_toldUnnoted;
};
