#include "engine/getlastfile.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <QByteArray>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unordered_map>
#else
#include <QDateTime>
#include <QFileInfo>
#endif

namespace {

#ifdef Q_OS_UNIX

// Minutes since the epoch counted on the local clock, so that minute boundaries fall where the
// user's clock shows them (and fall-back hours repeat, as the clock does).
class LocalMinutes
{
public:
    qint64 of(time_t secs)
    {
        // The offset from UTC only changes at zone transitions, which lie on quarter hours; keep it per quarter.
        const qint64 quarter = floorDiv(secs, 900);
        auto it = m_offsets.find(quarter);
        if (it == m_offsets.end())
            it = m_offsets.emplace(quarter, offsetAt(secs)).first;
        return floorDiv(qint64(secs) + it->second, 60);
    }

private:
    static qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
    static long offsetAt(time_t secs)
    {
        struct tm local
        {
        };
        return localtime_r(&secs, &local) ? local.tm_gmtoff : 0;
    }

    std::unordered_map<qint64, long> m_offsets;
};

// Whether a name reads back as the same bytes once stored as text, and stays one line of the
// watch list. Any other would be stored as a name that exists nowhere, or be rewritten at every check.
bool storable(const char* name)
{
    bool ascii = true;
    for (const char* c = name; *c; ++c) {
        if (*c == '\n' || *c == '\r')
            return false;
        ascii = ascii && static_cast<unsigned char>(*c) < 0x80;
    }
    return ascii || QFile::encodeName(QFile::decodeName(name)) == QByteArrayView(name);
}

// The chosen name in the folder, or "" when it lists no file. Every failure skips the name, and so
// does every name that cannot be stored.
QString pickIn(const QString& folder, bool newest)
{
    // A folder name holding a NUL names no folder; the system would list the part before it.
    if (folder.contains(QChar(0)))
        return QString();
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return QString();
    const int fd = ::dirfd(dir);
    LocalMinutes minutes;
    std::string pick;
    qint64 pickMinute = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (!storable(name))
            continue;
        struct stat st
        {
        };
        // Following links: a link counts as what it points to, and a dangling one fails here.
        if (::fstatat(fd, name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        const qint64 minute = minutes.of(st.st_mtim.tv_sec);
        const bool take = pick.empty() || (newest ? minute > pickMinute : minute <= pickMinute);
        if (take) {
            pick = name;
            pickMinute = minute;
        }
    }
    ::closedir(dir);
    return QFile::decodeName(pick.c_str());
}

#else

qint64 localMinute(const QDateTime& t)
{
    const QDateTime local = t.toLocalTime();
    return QDateTime(local.date(), local.time(), Qt::UTC).toSecsSinceEpoch() / 60;
}

QString pickIn(const QString& folder, bool newest)
{
    const QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    QString pick;
    qint64 pickMinute = 0;
    for (const QFileInfo& info : files) {
        if (!info.isFile())
            continue;
        const qint64 minute = localMinute(info.lastModified());
        if (pick.isEmpty() || (newest ? minute > pickMinute : minute <= pickMinute)) {
            pick = info.fileName();
            pickMinute = minute;
        }
    }
    return pick;
}

#endif

} // namespace

QString getlastfile(const QString& folder, bool newest)
{
    // An empty text names no folder at all; listing the root of the file system instead would
    // pick a file the user never chose.
    if (folder.isEmpty())
        return folder;
    QString withSeparator = folder;
    if (!withSeparator.endsWith(QDir::separator()))
        withSeparator += QDir::separator();
    try {
        return withSeparator + pickIn(withSeparator, newest);
    } catch (...) {
        // Out of memory while listing: the folder itself, as for a folder that lists nothing.
        return withSeparator;
    }
}
