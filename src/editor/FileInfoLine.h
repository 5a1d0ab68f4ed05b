#pragma once

#include "engine/FileQuery.h"

#include <QDateTime>
#include <QString>
#include <optional>

// The editor's line about the chosen file. For a folder entry with a pattern that is the file
// the check would pick in the chosen name's folder today, so that the user sees what the pattern
// catches before saving it.
namespace FileInfoLine {

struct Folder
{
    bool directoryMode = false;
    bool newest = true;
    QString pattern;
};

struct Line
{
    QString text;
    std::optional<QDateTime> modified; // the file's last change, when there is a file to tell of
};

// "File Last Changed <long date> and is N days old", N counted in midnights up to now; else why
// there is no file to tell of.
Line probe(FileQuery& query, const QString& chosen, const Folder& folder);

} // namespace FileInfoLine
