#include "settings/FileVersion.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX

namespace {

// Fills in everything but `exists`, which the caller sets.
template <typename Stamp> void fillStamp(Stamp& stamp, const struct stat& st)
{
    stamp.size = st.st_size;
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
}

bool readAll(int fd, QByteArray* contents)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    if (contents)
        *contents = std::move(bytes);
    return true;
}

} // namespace

FileVersion::~FileVersion()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileVersion::Stamp FileVersion::stampOf(const QString& path)
{
    Stamp stamp;
    struct stat st
    {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return stamp;
    stamp.exists = true;
    fillStamp(stamp, st);
    return stamp;
}

std::unique_ptr<FileVersion> FileVersion::open(const QString& path, QByteArray* contents)
{
    std::unique_ptr<FileVersion> version(new FileVersion);
    if (contents)
        contents->clear();
    if (!stampOf(path).exists)
        return version; // missing, or a folder: nothing to read
    version->m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (version->m_fd < 0)
        return nullptr;
    struct stat st
    {
    };
    // The stamp comes from the open file, so it describes exactly the bytes read from it.
    if (::fstat(version->m_fd, &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    version->m_stamp.exists = version->m_exists = true;
    fillStamp(version->m_stamp, st);
    if (contents && !readAll(version->m_fd, contents))
        return nullptr;
    return version;
}

#else

FileVersion::~FileVersion() = default;

FileVersion::Stamp FileVersion::stampOf(const QString& path)
{
    Stamp stamp;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.mtimeNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    return stamp;
}

// Holding the file open would stop other writers from replacing it here, so only the stamp is kept.
std::unique_ptr<FileVersion> FileVersion::open(const QString& path, QByteArray* contents)
{
    std::unique_ptr<FileVersion> version(new FileVersion);
    if (contents)
        contents->clear();
    version->m_stamp = stampOf(path);
    version->m_exists = version->m_stamp.exists;
    if (!version->m_exists)
        return version;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    if (contents)
        *contents = file.readAll();
    return version;
}

#endif

std::unique_ptr<FileVersion> FileVersion::read(const QString& path, QByteArray* contents)
{
    return open(path, contents);
}

std::unique_ptr<FileVersion> FileVersion::current(const QString& path)
{
    return open(path, nullptr);
}

bool FileVersion::isCurrent(const QString& path) const
{
    return stampOf(path) == m_stamp;
}
