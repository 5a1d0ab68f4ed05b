#pragma once

#include "engine/FilePattern.h"
#include "engine/FileQuery.h"

#include <QString>

// The newest (or oldest) file of a folder by whole minutes of last-modified time: folder (with a
// trailing separator) + the chosen file name, or the folder itself when it lists no file.
// Among files of the same minute the newest pick keeps the first listed, the oldest the last.
// Hidden files count, subfolders never do; a link counts as what it points to. A name that would
// not come back as the same bytes from the watch list (not valid in the file name encoding, or
// holding a line break) counts as not there. It never fails.
QString getlastfile(const QString& folder, bool newest);

// The same pick through a query of the check's, among the names `pattern` takes. `listing` tells
// whether the folder could be listed: Unreachable means the pick is unknown, not that the folder
// is empty. A folder without a name the pattern takes is picked as an empty one.
struct FolderPick
{
    QString file;
    FileQuery::Answer listing;
};
FolderPick pickFolderFile(FileQuery& query, const QString& folder, bool newest,
                          const FilePattern& pattern = FilePattern());
