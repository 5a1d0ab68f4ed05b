#pragma once

#include "engine/FileQuery.h"

#include <QString>

// The file the editor's info line tells about. For a folder entry with a pattern that is the file
// the check would pick in the chosen name's folder today, so that the user sees what the pattern
// catches before saving it.
namespace ProbedFile {

struct Folder
{
    bool directoryMode = false;
    bool newest = true;
    QString pattern;
};

struct Found
{
    QString name;
    FileQuery::Answer answer;
    bool noneMatches = false; // the folder was listed, and holds no file the pattern takes
};

Found probe(FileQuery& query, const QString& chosen, const Folder& folder);

} // namespace ProbedFile
