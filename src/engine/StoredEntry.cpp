#include "engine/StoredEntry.h"

#include "engine/LeadingNumber.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

StoredEntry StoredEntry::read(IniFile& ini, const QString& inifilename, qint16 entry)
{
    const QString section = WatchListFile::sectionName(entry);
    auto value = [&](const char* key, const QString& def) {
        return ini.ReadString(section, QString::fromLatin1(key), inifilename, def);
    };
    StoredEntry e;
    e.fileName = value("filename", QString());
    e.days = LeadingNumber::toInt16(value("days", QStringLiteral("1")));
    e.description = value("description", QString());
    e.adviseChanges = WatchListFile::equalsTrueIgnoringCase(value("advisechanges", QString()));
    const qint16 type = LeadingNumber::toInt16(value("non-fixed file type", QStringLiteral("-1")));
    e.type = type < 0 ? -1 : qMin<int>(type, 1);
    e.pattern = value("file pattern", QString());
    e.smallestSize = value("smallest size", QString());
    return e;
}
