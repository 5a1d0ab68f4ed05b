#include "engine/WatchList.h"

#include "engine/WatchListFile.h"
#include "store/IniFile.h"

WatchList WatchList::read(const IniDocument& doc)
{
    WatchList list;
    // Room for an entry from every section at once: a long list would otherwise be copied as it grows.
    list.entries.reserve(qMin(doc.sectionCount(), int(WatchListFile::kLastEntryNumber) + 1));
    for (int n = 0; n <= WatchListFile::kLastEntryNumber; ++n) {
        WatchEntry entry = WatchEntry::read(doc, qint16(n));
        if (entry.fileName().isEmpty()) {
            list.end = n;
            return list;
        }
        list.entries.append(std::move(entry));
    }
    list.end = WatchListFile::kLastEntryNumber + 1;
    return list;
}

WatchList WatchList::read(IniFile& ini, const QString& inifilename)
{
    const auto doc = ini.Document(inifilename);
    return doc ? read(*doc) : WatchList();
}

std::optional<qint16> WatchList::nextFreeNumber() const
{
    for (const WatchEntry& entry : entries) {
        if (entry.isRemoved())
            return entry.number;
    }
    if (end > WatchListFile::kLastEntryNumber)
        return std::nullopt;
    return qint16(end);
}
