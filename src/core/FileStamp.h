#pragma once

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
    int utcOffset = 0; // seconds east of UTC at that moment
};

// Reads the time zone again, so that a change of zone while the program runs is seen. Once before
// a batch of lookups is enough.
void refreshZone();
// The local last-modified date and time of a file, or nullopt when the path names no file. One
// query answers both, so a file cannot vanish between the existence test and the reading of its date.
std::optional<Local> modified(const QString& path);
// The text "last date changed" stores and compares for that moment.
QString changeText(const Local& stamp);

} // namespace FileStamp
