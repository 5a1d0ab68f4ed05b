#pragma once

#include "engine/WatchEntry.h"

#include <QList>
#include <optional>

class IniDocument;
class IniFile;

// Every entry of the watch list file, read from one parse of it, as every walk over the entries
// takes them: from number 0 up to the first number whose section has no file name. A removed
// entry keeps its file name and does not end the walk; a gap in the numbers does.
struct WatchList
{
    QList<WatchEntry> entries; // numbered 0, 1, 2, ..., each with a file name
    // The number that ended the walk; one past the last number when every number holds a file.
    int end = 0;

    static WatchList read(const IniDocument& doc);
    // The file as it is now; a file that is missing or cannot be read holds no entries.
    static WatchList read(IniFile& ini, const QString& inifilename);

    // The smallest entry number whose section is missing, has no file name or is removed;
    // nullopt when every number is taken: the list is full.
    std::optional<qint16> nextFreeNumber() const;
};
