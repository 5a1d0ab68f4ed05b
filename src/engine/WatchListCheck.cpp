#include "engine/WatchListCheck.h"

#include "engine/AppError.h"
#include "engine/Clock.h"
#include "engine/EntryChecker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace WatchListCheck {

namespace {

const QString kSource = QStringLiteral("WatchListCheck");

void ensureReadable(const QString& watchList)
{
    const QFileInfo info(watchList);
    const QString shown = info.absoluteFilePath();
    if (!info.exists()) {
        throw AppError(AppError::FileRead, kSource, QStringLiteral("the watch list \"%1\" does not exist").arg(shown));
    }
    if (info.isDir())
        throw AppError(AppError::FileRead, kSource, QStringLiteral("the watch list \"%1\" is a folder").arg(shown));
    // A device or a pipe could be read for ever, or block: only a file is a watch list.
    if (!info.isFile()) {
        throw AppError(AppError::FileRead, kSource,
                       QStringLiteral("the watch list \"%1\" is not a regular file").arg(shown));
    }
    QFile file(watchList);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(AppError::FileRead, kSource,
                       QStringLiteral("the watch list \"%1\" cannot be read: %2").arg(shown, file.errorString()));
    }
}

} // namespace

CheckReport run(IniFile& ini, const QString& watchList, bool showAll)
{
    QElapsedTimer timer;
    timer.start();
    ensureReadable(watchList);
    CheckReport report;
    report.watchList = QFileInfo(watchList).absoluteFilePath();
    const QDateTime now = Clock::now().toLocalTime();
    report.checkedAt = now.toOffsetFromUtc(now.offsetFromUtc());

    EntryChecker checker(ini, watchList, QString());
    checker.setMode(EntryChecker::Mode::ReadOnly);
    checker.setCollectReport(true);
    EntryChecker::Result result = checker.run(showAll);
    report.entries = std::move(result.entries);
    report.rows.reserve(result.rows.size());
    for (const CheckRow& row : result.rows)
        report.rows.append(row.text);
    report.durationSeconds = double(timer.nsecsElapsed()) / 1e9;
    return report;
}

} // namespace WatchListCheck
