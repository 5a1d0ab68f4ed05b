#include "store/FileVersion.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
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
    // A NUL would end the name early and reach another file.
    if (path.isEmpty() || path.contains(QChar(0)) || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return stamp;
    stamp.exists = true;
    fillStamp(stamp, st);
    return stamp;
}

std::unique_ptr<FileVersion> FileVersion::read(const QString& path, QByteArray* contents)
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
    version->m_stamp.exists = true;
    fillStamp(version->m_stamp, st);
    if (contents) {
        QFile file;
        if (!file.open(version->m_fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return nullptr;
        *contents = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return nullptr;
    }
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
std::unique_ptr<FileVersion> FileVersion::read(const QString& path, QByteArray* contents)
{
    std::unique_ptr<FileVersion> version(new FileVersion);
    if (contents)
        contents->clear();
    version->m_stamp = stampOf(path);
    if (!version->m_stamp.exists)
        return version;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    if (contents)
        *contents = file.readAll();
    return version;
}

#endif

std::unique_ptr<FileVersion> FileVersion::current(const QString& path)
{
    return read(path, nullptr);
}

bool FileVersion::isCurrent(const QString& path) const
{
    return stampOf(path) == m_stamp;
}
