#include "engine/WatchListCheck.h"

#include "base/AppError.h"
#include "engine/Clock.h"
#include "engine/EntryChecker.h"
#include "engine/FileQuery.h"
#include "engine/WatchList.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <memory>

namespace WatchListCheck {

namespace {

const QString kSource = QStringLiteral("WatchListCheck");

void ensureReadable(const QString& watchList, const QString& shown, const FileQuery::Answer& answer)
{
    using State = FileQuery::Answer::State;
    if (answer.state == State::Missing) {
        throw AppError(AppError::FileRead, kSource, QStringLiteral("the watch list \"%1\" does not exist").arg(shown));
    }
    if (answer.state == State::Unreachable) {
        throw AppError(AppError::FileRead, kSource,
                       QStringLiteral("the watch list \"%1\" cannot be read: %2").arg(shown, answer.why));
    }
    if (!answer.regular) {
        if (QFileInfo(watchList).isDir())
            throw AppError(AppError::FileRead, kSource, QStringLiteral("the watch list \"%1\" is a folder").arg(shown));
        // A device or a pipe could be read for ever, or block: only a file is a watch list.
        throw AppError(AppError::FileRead, kSource,
                       QStringLiteral("the watch list \"%1\" is not a regular file").arg(shown));
    }
}

// A watch list on a share is read whole through the helper into a private copy, which the walk
// then reads like any other: the walk writes nothing, so a copy serves it exactly as the original.
std::unique_ptr<QTemporaryFile> copyFromShare(FileQuery& query, const QString& watchList, const QString& shown)
{
    QByteArray bytes;
    const FileQuery::Answer read = query.read(watchList, bytes);
    ensureReadable(watchList, shown, read);
    auto copy = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/staleguard-check-XXXXXX.ini"));
    if (!copy->open() || copy->write(bytes) != bytes.size() || !copy->flush()) {
        throw AppError(AppError::FileRead, kSource,
                       QStringLiteral("the watch list \"%1\" cannot be read: %2").arg(shown, copy->errorString()));
    }
    copy->close();
    return copy;
}

} // namespace

CheckReport run(IniFile& ini, const QString& watchList, bool showAll, QDeadlineTimer deadline)
{
    QElapsedTimer timer;
    timer.start();
    const QString shown = QFileInfo(watchList).absoluteFilePath();
    FileQuery query;
    query.setDeadline(deadline);
    std::unique_ptr<QTemporaryFile> copy;
    if (query.onShare(watchList)) {
        copy = copyFromShare(query, watchList, shown);
    } else {
        ensureReadable(watchList, shown, query.stat(watchList));
        QFile file(watchList);
        if (!file.open(QIODevice::ReadOnly)) {
            throw AppError(AppError::FileRead, kSource,
                           QStringLiteral("the watch list \"%1\" cannot be read: %2").arg(shown, file.errorString()));
        }
    }
    CheckReport report;
    report.watchList = QFileInfo(watchList).absoluteFilePath();
    const QDateTime now = Clock::now().toLocalTime();
    report.checkedAt = now.toOffsetFromUtc(now.offsetFromUtc());

    const QString readFrom = copy ? copy->fileName() : watchList;
    const WatchList list = WatchList::read(ini, readFrom);
    FileQuery files(WatchListFile::shareTimeout(ini, readFrom));
    // The parse is not needed again: its memory goes before the files are asked about.
    ini.clearCache();
    files.setDeadline(deadline);
    EntryChecker checker(files, now.date());
    checker.setCollectReport(true);
    EntryChecker::Result result = checker.check(list, showAll);
    report.entries = std::move(result.entries);
    report.rows.reserve(result.rows.size());
    for (const CheckRow& row : result.rows)
        report.rows.append(row.text);
    report.durationSeconds = double(timer.nsecsElapsed()) / 1e9;
    return report;
}

} // namespace WatchListCheck
