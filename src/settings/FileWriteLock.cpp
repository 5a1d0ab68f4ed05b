#include "settings/FileWriteLock.h"

#include "engine/AppError.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

namespace {

const QString kSource = QStringLiteral("IniFile");
// A write holds the lock for milliseconds; waiting this long means the holder hangs.
constexpr int kLockWaitMs = 10000;
// A live holder older than this is taken as hung and its lock broken.
constexpr int kStaleLockMs = 30000;

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
        else if (deadline.hasExpired())
            reason = QStringLiteral("another program keeps it locked (\"%1\").").arg(lockName);
        if (!reason.isEmpty())
            throw AppError(AppError::FileWrite, kSource,
                           QStringLiteral("Could not write \"%1\": %2").arg(shown, reason));
        QThread::msleep(1 + QRandomGenerator::global()->bounded(4));
    }
}
