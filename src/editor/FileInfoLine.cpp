#include "editor/FileInfoLine.h"

#include "editor/DayCount.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/FilePattern.h"
#include "engine/PathPieces.h"
#include "engine/getlastfile.h"

#include <QDir>

namespace FileInfoLine {

Line probe(FileQuery& query, const QString& chosen, const Folder& folder)
{
    using State = FileQuery::Answer::State;
    // The check looks in the folder that holds a folder entry's name, whatever file it names now.
    // Without a pattern the line tells of the chosen file, as it always has.
    const FilePattern pattern(folder.pattern);
    const QString in = folder.directoryMode && !pattern.takesEverything() ? PathPieces::folderOf(chosen) : QString();
    FileQuery::Answer answer;
    if (in.isEmpty()) {
        answer = query.stat(chosen);
    } else {
        const FolderPick pick = pickFolderFile(query, in, folder.newest, pattern);
        // A folder that lists no file it takes is picked as itself.
        const bool noneMatches =
            pick.listing.state == State::Found && (pick.file == in || pick.file == in + QDir::separator());
        if (noneMatches)
            return {QStringLiteral("No file in this directory matches"), std::nullopt};
        answer = pick.listing.state == State::Found ? query.stat(pick.file) : pick.listing;
    }
    // A share that does not answer, say.
    if (answer.state == State::Unreachable)
        return {QStringLiteral("The file cannot be reached (%1)").arg(answer.why), std::nullopt};
    if (!answer.isFile())
        return {QStringLiteral("The file was not found"), std::nullopt};
    const QDateTime modified = QDateTime::fromMSecsSinceEpoch(answer.mtimeSec * 1000 + answer.mtimeNsec / 1000000);
    const qint16 age = DateTexts::ageInDays(modified, Clock::now());
    return {QStringLiteral("File Last Changed ") + DateTexts::longDate(modified.toLocalTime().date()) +
                QStringLiteral(" and is ") + DayCount::caption(age),
            modified};
}

} // namespace FileInfoLine
