#include "WatchListFolder.h"

#include "TestHelpers.h"
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
    EntryChecker checker(IniFile::instance(), iniPath(), rowMapPath());
    checker.setMissingFileQuestion(&question);
    return checker.run(showAll);
}
