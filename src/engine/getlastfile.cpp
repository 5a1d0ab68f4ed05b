#include "engine/getlastfile.h"

#include "engine/FilePattern.h"

#include <QDir>
#include <QFile>

#include <string>

#ifdef Q_OS_UNIX
#include <ctime>
#include <unordered_map>
#else
#include <QDateTime>
#endif

namespace {

#ifdef Q_OS_UNIX

// Minutes since the epoch counted on the local clock, so that minute boundaries fall where the
// user's clock shows them (and fall-back hours repeat, as the clock does).
class LocalMinutes
{
public:
    qint64 of(qint64 secs)
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

#else

// Minutes since the epoch counted on the local clock.
class LocalMinutes
{
public:
    qint64 of(qint64 secs)
    {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(secs).toLocalTime();
        return QDateTime(local.date(), local.time(), Qt::UTC).toSecsSinceEpoch() / 60;
    }
};

bool storable(const char*)
{
    return true;
}

#endif

// The chosen name in the folder, or "" when it lists no file. Every failure skips the name, and so
// does every name that cannot be stored.
QString pickIn(FileQuery& query, const QString& folder, bool newest, const FilePattern& pattern,
               FileQuery::Answer& listing)
{
    LocalMinutes minutes;
    std::string pick;
    qint64 pickMinute = 0;
    listing = query.list(folder, [&](const char* name, const FileQuery::Answer& answer) {
        if (!answer.isFile() || !storable(name) || !pattern.matches(name))
            return;
        const qint64 minute = minutes.of(answer.mtimeSec);
        const bool take = pick.empty() || (newest ? minute > pickMinute : minute <= pickMinute);
        if (take) {
            pick = name;
            pickMinute = minute;
        }
    });
    return QFile::decodeName(pick.c_str());
}

} // namespace

QString getlastfile(const QString& folder, bool newest)
{
    FileQuery query;
    return pickFolderFile(query, folder, newest).file;
}

FolderPick pickFolderFile(FileQuery& query, const QString& folder, bool newest, const FilePattern& pattern)
{
    FolderPick result;
    // An empty text names no folder at all; listing the root of the file system instead would
    // pick a file the user never chose.
    if (folder.isEmpty())
        return result;
    QString withSeparator = folder;
    if (!withSeparator.endsWith(QDir::separator()))
        withSeparator += QDir::separator();
    // A folder name holding a NUL names no folder; the system would list the part before it.
    if (folder.contains(QChar(0))) {
        result.file = withSeparator;
        return result;
    }
    try {
        result.file = withSeparator + pickIn(query, withSeparator, newest, pattern, result.listing);
    } catch (...) {
        // Out of memory while listing: the folder itself, as for a folder that lists nothing.
        result.file = withSeparator;
    }
    return result;
}
