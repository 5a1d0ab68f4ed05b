#include "store/FileWriteLock.h"

#include "base/AppError.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString kSource = QStringLiteral("IniFile");
// A write holds the lock for milliseconds; waiting this long means the holder hangs.
constexpr int kLockWaitMs = 10000;
// A live holder older than this is taken as hung and its lock broken.
constexpr int kStaleLockMs = 30000;

#ifdef Q_OS_UNIX

// Whether the process that wrote a lock file runs; a holder on another machine counts as running,
// since nothing here can tell.
bool holderRuns(const QLockFile& lock, const struct stat& st)
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock.getLockInfo(&pid, &host, &app)) {
        // Not a lock file (yet): one being written this moment is young. An old one is as good as
        // the lock of a dead process.
        const qint64 ageMs = (qint64(::time(nullptr)) - qint64(st.st_mtim.tv_sec)) * 1000;
        return ageMs <= kStaleLockMs;
    }
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// Removes the lock file of a holder that has ended, the way QLockFile does (its native lock
// first, so a holder that still runs keeps it); nullopt once it is gone or a holder runs after
// all, else why it stays, in the system's words.
std::optional<QString> removeDeadLock(const QByteArray& lockPath)
{
    const int fd = ::open(lockPath.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::nullopt : std::optional<QString>(QString::fromLocal8Bit(std::strerror(errno)));
    std::optional<QString> why;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(lockPath.constData()) != 0 && errno != ENOENT)
        why = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return why;
}

#endif

// Why the lock can never be had while the path stays as it is, or nullopt when it may be had soon:
// it is free, or held by a running program that will let it go.
std::optional<QString> obstruction(const QLockFile& lock, const QString& lockPath)
{
#ifdef Q_OS_UNIX
    const QString name = QFileInfo(lockPath).fileName();
    const QByteArray encoded = QFile::encodeName(lockPath);
    struct stat st
    {
    };
    if (::lstat(encoded.constData(), &st) != 0)
        return std::nullopt;
    if (S_ISLNK(st.st_mode) && ::stat(encoded.constData(), &st) != 0)
        return QStringLiteral("its lock path \"%1\" is a link to nothing.").arg(name);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("its lock path \"%1\" is a folder.").arg(name);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("its lock path \"%1\" is not a file.").arg(name);
    if (holderRuns(lock, st))
        return std::nullopt;
    if (const auto why = removeDeadLock(encoded))
        return QStringLiteral("the lock file \"%1\" of a program that has ended cannot be removed: %2").arg(name, *why);
    return std::nullopt;
#else
    Q_UNUSED(lock);
    Q_UNUSED(lockPath);
    return std::nullopt;
#endif
}

} // namespace

QString FileWriteLock::lockPathFor(const QString& path)
{
    return path + QStringLiteral(".lock");
}

FileWriteLock::FileWriteLock(const QString& path) : m_lock(lockPathFor(path))
{
    m_lock.setStaleLockTime(kStaleLockMs);
    const QString shown = QFileInfo(path).absoluteFilePath();
    // Polled in short random steps rather than with tryLock(timeout), which sleeps ever longer
    // between tries: two copies writing many values in a row would otherwise starve each other.
    const QDeadlineTimer deadline(kLockWaitMs);
    while (!m_lock.tryLock(0)) {
        const QString lockName = QFileInfo(lockPathFor(path)).fileName();
        QString reason;
        if (m_lock.error() == QLockFile::PermissionError)
            reason = QStringLiteral("its folder is not writable.");
        else if (m_lock.error() != QLockFile::LockFailedError)
            reason = QStringLiteral("the lock file \"%1\" could not be made.").arg(lockName);
        else if (const auto why = obstruction(m_lock, lockPathFor(path)))
            reason = *why; // waiting would only put off the same answer
        else if (deadline.hasExpired())
            reason = QStringLiteral("another program keeps it locked (\"%1\").").arg(lockName);
        if (!reason.isEmpty())
            throw AppError(AppError::FileWrite, kSource,
                           QStringLiteral("Could not write \"%1\": %2").arg(shown, reason));
        QThread::msleep(1 + QRandomGenerator::global()->bounded(4));
    }
}
