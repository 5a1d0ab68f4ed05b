#include "desktop/WatchedJobStarter.h"

#include "base/AppInfo.h"
#include "jobwatch/FreshSpawn.h"
#include "jobwatch/JobReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cstring>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// A report is a few short lines; a watcher that says more is not listened to beyond this.
constexpr std::size_t kMaxReport = 16 * 1024;

QString watcherOverride;

// What a job wrote may hold escape sequences and other control characters; none of them is shown.
QString printable(const std::string& line)
{
    QString out = QString::fromUtf8(line.data(), qsizetype(line.size()));
    out.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return out.trimmed();
}

JobStarter::Outcome outcomeOf(const JobReport::Parsed& report)
{
    using Kind = JobStarter::Outcome::Kind;
    using End = JobReport::Parsed::End;
    const QString lastLine = printable(report.line);
    switch (report.end) {
    case End::Exited:
        return {Kind::Exited, report.value, QString(), lastLine};
    case End::Signalled:
        return {Kind::Signalled, report.value, QString(), lastLine};
    case End::Failed:
        return {Kind::NotStarted, 0, QString::fromLocal8Bit(std::strerror(report.value)), lastLine};
    case End::Busy:
        return {Kind::StillRunning, 0, QString(), lastLine};
    case End::None:
        break;
    }
    const QString reason = report.pid ? QStringLiteral("its watcher was ended before the job was")
                                      : QStringLiteral("its watcher ended before it could start it");
    return {Kind::NotStarted, 0, reason, lastLine};
}

} // namespace

struct WatchedJobStarter::Watch
{
    long pid = -1;
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    std::string report;
    Ended ended;
};

WatchedJobStarter::WatchedJobStarter(QObject* parent) : QObject(parent) {}

WatchedJobStarter::~WatchedJobStarter()
{
    // The watchers are left to run: they and their jobs go on, and what they write to us is lost.
    for (const std::unique_ptr<Watch>& watch : m_watches) {
        delete watch->notifier;
#ifdef Q_OS_UNIX
        ::close(watch->fd);
#endif
    }
}

void WatchedJobStarter::setWatcher(const QString& path)
{
    watcherOverride = path;
}

#ifdef Q_OS_UNIX

namespace {

QString watcher()
{
    return watcherOverride.isEmpty() ? AppInfo::helperProgram(QStringLiteral("staleguard-job")) : watcherOverride;
}

// Where the locks that tell a job still running are kept.
QString lockPath(const QString& lockName)
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/staleguard-job-") + lockName + QStringLiteral(".lock");
}

// Starts the watcher in a session of its own, its standard output the write end of a pipe whose read
// end comes back in `fd`. The system's reason when it cannot.
QString spawnWatcher(const QStringList& argv, long& pid, int& fd)
{
    std::vector<QByteArray> bytes;
    bytes.reserve(size_t(argv.size()));
    for (const QString& word : argv)
        bytes.push_back(QFile::encodeName(word));
    std::vector<char*> args;
    for (QByteArray& word : bytes)
        args.push_back(word.data());
    args.push_back(nullptr);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    pid_t child = 0;
    const int result = FreshSpawn::start(child, args.data(), -1, pipe[1], -1, true);
    ::close(pipe[1]);
    if (result != 0) {
        ::close(pipe[0]);
        return QString::fromLocal8Bit(std::strerror(result));
    }
    pid = long(child);
    fd = pipe[0];
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return QString();
}

} // namespace

void WatchedJobStarter::start(const JobCommand& command, const QString& lockName, Ended ended)
{
    const QStringList argv =
        QStringList{watcher(), QStringLiteral("--lock"), lockName.isEmpty() ? QString() : lockPath(lockName),
                    QStringLiteral("--"), command.program} +
        command.arguments;
    auto watch = std::make_unique<Watch>();
    const QString why = spawnWatcher(argv, watch->pid, watch->fd);
    if (!why.isEmpty()) {
        const Outcome outcome{Outcome::Kind::NotStarted, 0, why, QString()};
        QTimer::singleShot(0, this, [ended = std::move(ended), outcome] { ended(outcome); });
        return;
    }
    watch->ended = std::move(ended);
    Watch* raw = watch.get();
    watch->notifier = new QSocketNotifier(qintptr(watch->fd), QSocketNotifier::Read, this);
    connect(watch->notifier, &QSocketNotifier::activated, this, [this, raw] {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(raw->fd, buffer, sizeof buffer);
            if (n > 0) {
                if (raw->report.size() < kMaxReport)
                    raw->report.append(buffer, size_t(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                return;
            finish(raw); // the end of the report: the watcher has ended
            return;
        }
    });
    m_watches.push_back(std::move(watch));
}

void WatchedJobStarter::finish(Watch* watch)
{
    watch->notifier->setEnabled(false);
    watch->notifier->deleteLater();
    ::close(watch->fd);
    // The watcher writes its report last: it has ended, or is about to.
    int status = 0;
    while (::waitpid(pid_t(watch->pid), &status, 0) < 0 && errno == EINTR) {
    }
    const Outcome outcome = outcomeOf(JobReport::parse(watch->report));
    const Ended ended = std::move(watch->ended);
    m_watches.remove_if([watch](const std::unique_ptr<Watch>& w) { return w.get() == watch; });
    ended(outcome);
}

#else

void WatchedJobStarter::start(const JobCommand&, const QString&, Ended ended)
{
    const Outcome outcome{Outcome::Kind::NotStarted, 0, QStringLiteral("jobs do not run on this system"), QString()};
    QTimer::singleShot(0, this, [ended = std::move(ended), outcome] { ended(outcome); });
}

void WatchedJobStarter::finish(Watch*) {}

#endif
