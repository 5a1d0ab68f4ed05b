#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// One version of a file on disk, as it was when read. Used to tell whether a cached parse still
// matches the file: size and modification time to the nanosecond, and on Unix the inode too.
// The file stays open while the object lives, so the system cannot hand its inode to a newer
// file: a replacement by rename (how every writer here saves) always shows as a change, even
// within one tick of the file system's clock and at the same size.
class FileVersion
{
public:
    ~FileVersion();
    FileVersion(const FileVersion&) = delete;
    FileVersion& operator=(const FileVersion&) = delete;

    // Reads the whole file into contents, unless that is null. A missing path, or one that names no
    // regular file, is a version of its own with no contents. Null when the file exists but cannot be read.
    static std::unique_ptr<FileVersion> read(const QString& path, QByteArray* contents);
    // The version at path now, without reading it; null when it cannot be opened.
    static std::unique_ptr<FileVersion> current(const QString& path);

    // Whether path still names exactly this version.
    bool isCurrent(const QString& path) const;

private:
    struct Stamp
    {
        bool exists = false;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Stamp& o) const
        {
            return exists == o.exists && size == o.size && mtimeNs == o.mtimeNs && device == o.device &&
                   inode == o.inode;
        }
    };

    FileVersion() = default;
    static Stamp stampOf(const QString& path);

    Stamp m_stamp;
    int m_fd = -1;
};
