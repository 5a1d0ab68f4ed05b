#include "engine/FileStamp.h"

#include "engine/DateTexts.h"

#include <QDateTime>
#include <ctime>

namespace FileStamp {

namespace {

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

} // namespace

void refreshZone()
{
#ifdef Q_OS_UNIX
    ::tzset();
#endif
}

std::optional<Local> modified(const FileQuery::Answer& answer)
{
    if (!answer.isFile())
        return std::nullopt;
    const int ms = int(answer.mtimeNsec / 1000000);
#ifdef Q_OS_UNIX
    const time_t secs = time_t(answer.mtimeSec);
    struct tm local
    {
    };
    if (!localtime_r(&secs, &local))
        return std::nullopt;
    // A leap second, which zones that count them read as :60, shows as the second before it.
    return Local{QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                 QTime(local.tm_hour, local.tm_min, qMin(local.tm_sec, 59), ms), qint64(secs), int(local.tm_gmtoff)};
#else
    const QDateTime stamp = QDateTime::fromMSecsSinceEpoch(answer.mtimeSec * 1000 + ms).toLocalTime();
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
