#pragma once

#include <QLockFile>
#include <QString>

// Holds the lock of one file for the length of a read-change-save, shared by every running copy
// of the program through a sibling ".lock" file. The lock of a process that died while holding it
// is broken. Raises AppError when the lock cannot be had.
class FileWriteLock
{
public:
    explicit FileWriteLock(const QString& path);
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

    static QString lockPathFor(const QString& path);

private:
    QLockFile m_lock;
};
