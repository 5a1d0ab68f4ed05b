#include "WatchListFolder.h"

#include "TestHelpers.h"
#include "engine/CheckRun.h"
#include "engine/Clock.h"
#include "engine/FileQuery.h"
#include "engine/WatchList.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

namespace {

const QString kNone = QStringLiteral("<none>");

} // namespace

QString WatchListFolder::stored(int entry, const QString& key) const
{
    return TestHelpers::stored(iniPath(), entry, key, kNone);
}

QString WatchListFolder::setting(const QString& key) const
{
    return TestHelpers::setting(iniPath(), key, kNone);
}

EntryChecker::Result WatchListFolder::check(bool showAll)
{
    IniFile& ini = IniFile::instance();
    CheckRun::Options options;
    options.showAll = showAll;
    const EntryChecker::Result result = CheckRun::run(ini, iniPath(), rowMapPath(), options);
    FileQuery files(WatchListFile::shareTimeout(ini, iniPath()));
    CheckRun::askAboutGone(ini, iniPath(), result.gone, files, question, {});
    return result;
}

EntryChecker::Result WatchListFolder::checkOnly(bool showAll, std::function<void()> progress)
{
    IniFile& ini = IniFile::instance();
    FileQuery files(WatchListFile::shareTimeout(ini, iniPath()));
    EntryChecker checker(files, Clock::now().toLocalTime().date());
    checker.setCollectReport(true);
    checker.setProgress(std::move(progress));
    return checker.check(WatchList::read(ini, iniPath()), showAll);
}
