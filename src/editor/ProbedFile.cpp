#include "editor/ProbedFile.h"

#include "engine/FilePattern.h"
#include "engine/PathPieces.h"
#include "engine/getlastfile.h"

#include <QDir>

namespace ProbedFile {

Found probe(FileQuery& query, const QString& chosen, const Folder& folder)
{
    // The check looks in the folder that holds a folder entry's name, whatever file it names now.
    // Without a pattern the line tells of the chosen file, as it always has.
    const FilePattern pattern(folder.pattern);
    const QString in = folder.directoryMode && !pattern.takesEverything() ? PathPieces::folderOf(chosen) : QString();
    if (in.isEmpty())
        return {chosen, query.stat(chosen)};
    const FolderPick pick = pickFolderFile(query, in, folder.newest, pattern);
    if (pick.listing.state != FileQuery::Answer::State::Found)
        return {pick.file, pick.listing};
    // A folder that lists no file it takes is picked as itself.
    if (pick.file == in || pick.file == in + QDir::separator())
        return {pick.file, FileQuery::Answer(), true};
    return {pick.file, query.stat(pick.file)};
}

} // namespace ProbedFile
