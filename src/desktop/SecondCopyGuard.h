#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Tells whether another copy of the program runs for the same user. The first copy holds a lock
// file for its whole run; the lock of a copy that died is taken over, so a crash never blocks the
// next start.
class SecondCopyGuard
{
public:
    // True when this copy now holds the lock; false when a live copy holds it.
    bool tryAcquire();
    bool holdsLock() const;

    QString lockPath() const;
    // Tests keep their lock apart from a copy the user may be running.
    static void setLockFolder(const QString& folder);

private:
    std::unique_ptr<QLockFile> m_lock;
};
