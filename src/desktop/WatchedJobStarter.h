#pragma once

#include "desktop/JobStarter.h"

#include <QObject>
#include <QString>
#include <list>
#include <memory>

// Starts each job under `staleguard-job`, a small watcher that is placed in a session of its own
// and started with posix_spawn, not as a QProcess, so that nothing of the program ends it: not
// Exit, whose QProcess objects would kill their children; not a crash; not the terminal the
// program was started from closing. The job is the user's and goes on. The watcher keeps reading
// the job's error output, so a job that writes to it after the program has gone does not die of a
// closed pipe, and while the program runs it tells it, through a pipe, how the job ended.
class WatchedJobStarter : public QObject, public JobStarter
{
    Q_OBJECT

public:
    explicit WatchedJobStarter(QObject* parent = nullptr);
    ~WatchedJobStarter() override;

    void start(const JobCommand& command, const QString& lockName, Ended ended) override;

    // Where the watcher program is: beside the program, or in its libexec folder, unless set.
    static void setWatcher(const QString& path);

private:
    struct Watch;

    void finish(Watch* watch);

    std::list<std::unique_ptr<Watch>> m_watches;
};
