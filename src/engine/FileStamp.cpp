#include "engine/FileStamp.h"

#include "engine/DateTexts.h"

#include <QDateTime>
#include <QFile>
#include <atomic>
#include <ctime>

namespace FileStamp {

namespace {

// Counts the reads of the zone, so that a conversion kept from before the last one is not used.
std::atomic<int> g_zoneReads{0};

// Zones lie at most 14 hours either side of UTC, on quarter hours.
constexpr qint64 kLargestOffset = 14 * 3600;
constexpr qint64 kOffsetStep = 15 * 60;

// A local date and time's seconds as if it were UTC: its distance from a real moment is the offset
// of the zone it was read in.
qint64 wallSeconds(const QDate& date, const QTime& time)
{
    return QDateTime(date, QTime(time.hour(), time.minute(), time.second()), Qt::UTC).toSecsSinceEpoch();
}

bool sameMoment(const QDateTime& seen, const Local& stamp)
{
    // A text without a zone names the clock on the wall, as the file's local time does.
    if (seen.timeSpec() == Qt::LocalTime)
        return wallSeconds(seen.date(), seen.time()) == wallSeconds(stamp.date, stamp.time);
    return seen.toSecsSinceEpoch() == stamp.utcSeconds;
}

// Whether a local reading of the clock could have been taken of `moment` in some time zone.
bool namesMoment(qint64 wall, qint64 moment)
{
    const qint64 offset = wall - moment;
    return qAbs(offset) <= kLargestOffset && offset % kOffsetStep == 0;
}

bool namesMoment(const QDateTime& seen, qint64 moment)
{
    if (seen.timeSpec() != Qt::LocalTime)
        return seen.toSecsSinceEpoch() == moment;
    return namesMoment(wallSeconds(seen.date(), seen.time()), moment);
}

#ifdef Q_OS_UNIX
// The Julian day of 1970-01-01.
constexpr qint64 kJulianEpoch = 2440588;

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - (a % b < 0 ? 1 : 0);
}

// Beyond this many seconds either side of 1970 (about 35 million years) no file's date is read by
// the hour, so that no sum below can overflow.
constexpr qint64 kPlainReach = qint64(1) << 50;

// A moment moved by an offset, as a day and the second of that day.
struct Wall
{
    QDate date;
    int second = 0;
};

Wall wallOf(qint64 secs, qint64 offset)
{
    const qint64 wall = secs + offset;
    const qint64 day = floorDiv(wall, 86400);
    return Wall{QDate::fromJulianDay(day + kJulianEpoch), int(wall - day * 86400)};
}

// Whether localtime_r's reading of `secs` is the moment moved by its offset, day and time alike.
bool readsAs(const struct tm& local, time_t secs)
{
    const Wall wall = wallOf(qint64(secs), local.tm_gmtoff);
    return wall.date == QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) &&
           wall.second / 3600 == local.tm_hour && wall.second / 60 % 60 == local.tm_min &&
           wall.second % 60 == local.tm_sec;
}

struct HourStart
{
    qint64 hour = 0;
    int zoneReads = -1;
    int offset = 0;
    bool plain = false; // read as the moment moved by the offset
};

// The reading of the start of an hour, kept in a table by the hour.
const HourStart& hourStart(qint64 hour, int zoneReads)
{
    thread_local HourStart kept[1024];
    HourStart& slot = kept[hour & 1023];
    if (slot.hour != hour || slot.zoneReads != zoneReads) {
        const time_t at = time_t(hour * 3600);
        struct tm local
        {
        };
        slot.plain = localtime_r(&at, &local) && readsAs(local, at);
        slot.offset = int(local.tm_gmtoff);
        slot.hour = hour;
        slot.zoneReads = zoneReads;
    }
    return slot;
}
#endif

} // namespace

void refreshZone()
{
#ifdef Q_OS_UNIX
    ::tzset();
#endif
    ++g_zoneReads;
}

std::optional<Local> modified(const FileQuery::Answer& answer)
{
    if (!answer.isFile())
        return std::nullopt;
#ifdef Q_OS_UNIX
    const time_t secs = time_t(answer.mtimeSec);
    const int ms = int(answer.mtimeNsec / 1000000);
    const int zoneReads = g_zoneReads.load(std::memory_order_relaxed);
    // localtime_r, unlike a local QDateTime, does not look at the zone file again for every entry,
    // but it is still the dearest step of a long check. Where it reads the starts of an hour and
    // of the next as plain arithmetic on one offset, every second between reads so: no zone
    // changes twice within an hour, and leap seconds (zones that count them never read as plain)
    // only add up. The readings of the starts of hours are kept, and shared by neighbouring hours.
    if (qAbs(qint64(secs)) < kPlainReach) {
        const qint64 hour = floorDiv(qint64(secs), 3600);
        const HourStart& start = hourStart(hour, zoneReads);
        const HourStart& next = hourStart(hour + 1, zoneReads);
        if (start.plain && next.plain && start.offset == next.offset) {
            const Wall wall = wallOf(qint64(secs), start.offset);
            return Local{wall.date, QTime(wall.second / 3600, wall.second / 60 % 60, wall.second % 60, ms),
                         qint64(secs), start.offset};
        }
    }
    struct tm local
    {
    };
    if (!localtime_r(&secs, &local))
        return std::nullopt;
    return Local{QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                 QTime(local.tm_hour, local.tm_min, qMin(local.tm_sec, 59), ms), qint64(secs), int(local.tm_gmtoff)};
#else
    const QDateTime stamp =
        QDateTime::fromMSecsSinceEpoch(answer.mtimeSec * 1000 + answer.mtimeNsec / 1000000).toLocalTime();
    if (!stamp.isValid())
        return std::nullopt;
    return Local{stamp.date(), stamp.time(), stamp.toSecsSinceEpoch(), stamp.offsetFromUtc()};
#endif
}

QString changeText(const Local& stamp)
{
    return DateTexts::generalDate(stamp.date, stamp.time);
}

QString changeMoment(const Local& stamp)
{
    return QDateTime::fromSecsSinceEpoch(stamp.utcSeconds, Qt::UTC).toString(Qt::ISODate);
}

bool changedSince(QStringView seenText, QStringView seenMoment, const Local& stamp)
{
    const bool sameText = DateTexts::isGeneralDate(seenText, stamp.date, stamp.time);
    std::optional<QDateTime> seen;
    if (!sameText)
        seen = DateTexts::parseGeneralDate(seenText.toString());
    const QDateTime moment =
        seenMoment.isEmpty() ? QDateTime() : QDateTime::fromString(seenMoment.toString(), Qt::ISODate);
    if (moment.isValid()) {
        const qint64 seconds = moment.toSecsSinceEpoch();
        // A text this locale cannot read was written by the copy that stored the moment beside it.
        const bool belongs = sameText ? namesMoment(wallSeconds(stamp.date, stamp.time), seconds)
                                      : (!seen || namesMoment(*seen, seconds));
        if (belongs)
            return seconds != stamp.utcSeconds;
    }
    if (sameText)
        return false;
    return seen ? !sameMoment(*seen, stamp) : true;
}

} // namespace FileStamp
