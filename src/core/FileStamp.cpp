#include "core/FileStamp.h"

#include "core/DateTexts.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <ctime>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace FileStamp {

void refreshZone()
{
#ifdef Q_OS_UNIX
    ::tzset();
#endif
}

std::optional<Local> modified(const QString& path)
{
    // A name holding a NUL names no file: the system would read only the part before it.
    if (path.isEmpty() || path.contains(QChar(0)))
        return std::nullopt;
#ifdef Q_OS_UNIX
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    // localtime_r, unlike a local QDateTime, does not look at the zone file again for every entry.
    struct tm local
    {
    };
    const time_t secs = st.st_mtim.tv_sec;
    if (!localtime_r(&secs, &local))
        return std::nullopt;
    return Local{QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                 QTime(local.tm_hour, local.tm_min, qMin(local.tm_sec, 59), int(st.st_mtim.tv_nsec / 1000000))};
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    const QDateTime stamp = info.lastModified().toLocalTime();
    if (!stamp.isValid())
        return std::nullopt;
    return Local{stamp.date(), stamp.time()};
#endif
}

QString changeText(const Local& stamp)
{
    return DateTexts::generalDate(stamp.date, stamp.time);
}

} // namespace FileStamp
