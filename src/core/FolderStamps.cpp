#include "core/FolderStamps.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

FolderStamps::~FolderStamps()
{
    forget();
}

void FolderStamps::forget()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
    m_fd = -1;
    m_openFailed = false;
    m_folder.clear();
}

std::optional<FileStamp::Local> FolderStamps::modified(const QString& path)
{
#ifdef Q_OS_LINUX
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    // A path without a folder, or one that ends in a separator, names nothing to look up by name.
    if (slash < 0 || slash == path.size() - 1)
        return FileStamp::modified(path);
    const QStringView folder = QStringView(path).first(slash + 1);
    if (folder != m_folder) {
        // The first file of a folder is looked up by its path: a list that changes folder with
        // every file would otherwise pay an extra open for each.
        forget();
        m_folder = folder.toString();
        return FileStamp::modified(path);
    }
    if (m_fd < 0 && !m_openFailed) {
        // O_PATH needs no read permission on the folder, only what a lookup by path needs.
        m_fd = ::open(m_folder.toLocal8Bit().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        m_openFailed = m_fd < 0;
    }
    if (m_fd < 0)
        return FileStamp::modified(path);
    struct stat st
    {
    };
    if (::fstatat(m_fd, QStringView(path).sliced(slash + 1).toLocal8Bit().constData(), &st, 0) != 0)
        return std::nullopt;
    return FileStamp::fromStat(st);
#else
    return FileStamp::modified(path);
#endif
}
