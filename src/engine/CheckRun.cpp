#include "engine/CheckRun.h"

#include "engine/Clock.h"
#include "engine/EntryWriter.h"
#include "engine/FileQuery.h"
#include "engine/MissingFileQuestion.h"
#include "engine/WatchList.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

#include <QFile>

namespace CheckRun {

void dropRowMap(const QString& tempinifilename)
{
    if (!tempinifilename.isEmpty() && QFile::exists(tempinifilename))
        QFile::remove(tempinifilename);
}

EntryChecker::Result run(IniFile& ini, const QString& inifilename, const QString& tempinifilename,
                         const Options& options)
{
    dropRowMap(tempinifilename);
    const WatchList list = WatchList::read(ini, inifilename);
    FileQuery files(WatchListFile::shareTimeout(ini, inifilename));
    files.setAbandon(options.stopped);
    EntryChecker checker(files, Clock::now().toLocalTime().date());
    checker.setCollectReport(options.report);
    checker.setProgress(options.progress);
    checker.setStopped(options.stopped);
    EntryChecker::Result result = checker.check(list, options.showAll);
    if (!(options.stopped && options.stopped()))
        store(ini, inifilename, tempinifilename, result);
    return result;
}

void store(IniFile& ini, const QString& inifilename, const QString& tempinifilename, const EntryChecker::Result& result)
{
    if (!result.picks.isEmpty())
        EntryWriter::storePicks(ini, inifilename, result.picks);
    if (result.rows.isEmpty()) {
        dropRowMap(tempinifilename);
        return;
    }
    // The file holds nothing but the rows: it is written whole, in one go.
    QByteArray text;
    for (int row = 0; row < result.rows.size(); ++row) {
        const QByteArray section = WatchListFile::rowSectionName(row).toLatin1();
        const QByteArray entry = QByteArray::number(result.rows[row].entry);
        IniDocument::appendNewSection(text, QLatin1String(section), QLatin1String("realnumber"), QLatin1String(entry));
    }
    ini.ReplaceFile(tempinifilename, text);
}

void askAboutGone(IniFile& ini, const QString& inifilename, const QList<EntryChecker::Gone>& gone, FileQuery& files,
                  MissingFileQuestion& question, const std::function<bool()>& stopped)
{
    for (const EntryChecker::Gone& file : gone) {
        if (stopped && stopped())
            return;
        if (files.stat(file.fileName).isFile())
            continue;
        if (question.removeEntry(file.fileName) && !(stopped && stopped()))
            EntryWriter::markRemoved(ini, inifilename, WatchListFile::sectionName(file.entry));
    }
}

} // namespace CheckRun
