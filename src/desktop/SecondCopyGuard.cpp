#include "desktop/SecondCopyGuard.h"

#include "base/AppInfo.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString lockFolderOverride;

QString userName()
{
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        if (const QString name = qEnvironmentVariable(variable); !name.isEmpty())
            return name;
    }
    return QStringLiteral("user");
}

} // namespace

bool SecondCopyGuard::tryAcquire()
{
    if (holdsLock())
        return true;
    QDir().mkpath(QFileInfo(lockPath()).absolutePath());
    m_lock = std::make_unique<QLockFile>(lockPath());
    // Only the death of the holder makes a lock stale, never its age: a copy may run for weeks.
    // tryLock() takes over the lock of a holder that is gone.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    // Without a place for the lock (no writable folder) no other copy can be seen either.
    const bool unusable = m_lock->error() != QLockFile::LockFailedError;
    m_lock.reset();
    return unusable;
}

bool SecondCopyGuard::holdsLock() const
{
    return m_lock && m_lock->isLocked();
}

QString SecondCopyGuard::lockPath() const
{
    QString folder = lockFolderOverride;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return QDir(folder).filePath(QStringLiteral("%1-%2.lock").arg(AppInfo::productName(), userName()));
}

void SecondCopyGuard::setLockFolder(const QString& folder)
{
    lockFolderOverride = folder;
}
