#pragma once

#include "engine/FileQuery.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

// A file's last-modified moment in local time, and the text "last date changed" holds for it. The
// check and "Update the File Date" both go through here: a stored text only compares equal to a
// fresh one when both were read and converted the same way.
namespace FileStamp {

struct Local
{
    QDate date;
    QTime time;
    qint64 utcSeconds = 0; // the same moment as seconds since the epoch
    int utcOffset = 0;     // seconds east of UTC at that moment
};

// The keys of an entry that hold the moment the user last saw: the text every copy reads, and the
// moment itself, which no change of zone or locale can misread.
inline constexpr QStringView kSeenKey = u"last date changed";
inline constexpr QStringView kSeenMomentKey = u"last date changed utc";

// Reads the time zone again, so that a change of zone while the program runs is seen. Once before
// a batch of lookups is enough.
void refreshZone();
// The local last-modified date and time of what a query found, or nullopt when it found no file.
// One query answers both, so a file cannot vanish between the existence test and the reading of its date.
std::optional<Local> modified(const FileQuery::Answer& answer);
// The text "last date changed" stores for that moment.
QString changeText(const Local& stamp);
// The moment as "last date changed utc" stores it (ISO 8601, UTC).
QString changeMoment(const Local& stamp);
// Whether a file last modified at `stamp` is not the one the user saw, by the stored text and,
// when there is one, the stored moment. The text is read back in any form the locale knows, so a
// change of the user's date form does not count as a change of the file; the moment also survives
// a change of time zone. A stored moment counts only while the text still names it (a copy that
// knows no moment may have rewritten the text since); a text that reads as no date is compared as text.
bool changedSince(QStringView seenText, QStringView seenMoment, const Local& stamp);

} // namespace FileStamp
