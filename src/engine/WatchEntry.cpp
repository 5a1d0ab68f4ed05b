#include "engine/WatchEntry.h"

#include "engine/DateTexts.h"
#include "engine/FileStamp.h"
#include "engine/LateJob.h"
#include "engine/LeadingNumber.h"
#include "engine/SizeText.h"
#include "engine/WatchListFile.h"
#include "store/IniDocument.h"
#include "store/IniFile.h"

#include <algorithm>
#include <bitset>
#include <charconv>

namespace {

constexpr int kFolderDescriptionLength = 35;

using Key = WatchEntry::Key;

// The stored name of each key, lowered: names match as their lowered forms do.
const std::pair<QStringView, Key> kNames[] = {
    {u"filename", Key::FileName},
    {u"days", Key::Days},
    {u"description", Key::Description},
    {u"postponedate", Key::PostponeDate},
    {u"notactive", Key::NotActive},
    {u"non-fixed file type", Key::Kind},
    {u"advisechanges", Key::AdviseChanges},
    {FileStamp::kSeenKey, Key::Seen},
    {FileStamp::kSeenMomentKey, Key::SeenMoment},
    {u"file pattern", Key::Pattern},
    {u"smallest size", Key::SmallestSize},
    {u"job", Key::Job},
    {u"job when late", Key::JobWhenLate},
    {u"job started", Key::JobStarted},
};

// The key a stored name is.
std::optional<Key> keyNamed(QStringView name)
{
    for (const auto& [stored, key] : kNames) {
        if (IniDocument::lowersTo(name, stored))
            return key;
    }
    return std::nullopt;
}

} // namespace

WatchEntry WatchEntry::read(const IniDocument& doc, qint16 number)
{
    WatchEntry entry;
    entry.number = number;
    // "file n" put together in place: a QString of its own for each entry cost 7 M of the 34 M
    // instructions that reading a 10,000-entry list takes.
    char16_t name[16] = u"file ";
    char digits[8];
    const char* const end = std::to_chars(digits, digits + sizeof digits, int(number)).ptr;
    std::copy(static_cast<const char*>(digits), end, name + 5);
    const int section = doc.sectionNumber(QStringView(name, 5 + (end - digits)));
    // The first of repeated keys counts, as a single read of the key finds it: an empty one reads
    // as missing, and a later one does not take its place.
    std::bitset<std::size(kNames)> met;
    doc.forEachKey(section, [&](QStringView name, QStringView value) {
        const std::optional<Key> key = keyNamed(name);
        if (!key || met[size_t(*key)])
            return;
        met[size_t(*key)] = true;
        if (!value.isEmpty())
            entry.m_values.append({*key, value.toString()});
    });
    return entry;
}

const QString& WatchEntry::value(Key key) const
{
    for (const auto& [held, value] : m_values) {
        if (held == key)
            return value;
    }
    static const QString missing;
    return missing;
}

void WatchEntry::set(Key key, const QString& value)
{
    const auto held = std::find_if(m_values.begin(), m_values.end(), [key](const auto& h) { return h.first == key; });
    if (held != m_values.end())
        m_values.erase(held);
    if (!value.isEmpty())
        m_values.append({key, value});
}

WatchEntry WatchEntry::read(IniFile& ini, const QString& inifilename, qint16 number)
{
    const auto doc = ini.Document(inifilename);
    if (!doc) {
        WatchEntry entry;
        entry.number = number;
        return entry;
    }
    return read(*doc, number);
}

bool WatchEntry::isRemoved() const
{
    return WatchListFile::isLoweredTrue(notActive());
}

bool WatchEntry::isActive() const
{
    return !description().isEmpty() && !isRemoved();
}

QString WatchEntry::checkDescription() const
{
    return checkKind() == -1 ? description() : description().left(kFolderDescriptionLength);
}

qint16 WatchEntry::checkDays() const
{
    return LeadingNumber::toInt16(days());
}

qint16 WatchEntry::checkKind() const
{
    if (kind().isEmpty())
        return -1;
    const qint16 value = LeadingNumber::toInt16(kind());
    return value == -1 || value == 0 ? value : qint16(1);
}

bool WatchEntry::checkReportsChanges() const
{
    return WatchListFile::containsLowerTrue(adviseChanges());
}

std::optional<QDate> WatchEntry::postponedUntil() const
{
    if (postponeDate().isEmpty())
        return std::nullopt;
    return DateTexts::parseShortDate(postponeDate());
}

std::optional<qint64> WatchEntry::smallestBytes() const
{
    if (smallestSize().isEmpty())
        return std::nullopt;
    return SizeText::bytes(smallestSize());
}

qint16 WatchEntry::editorDays() const
{
    return LeadingNumber::toInt16(days().isEmpty() ? QStringLiteral("1") : days());
}

int WatchEntry::editorKind() const
{
    const qint16 value = LeadingNumber::toInt16(kind().isEmpty() ? QStringLiteral("-1") : kind());
    return value < 0 ? -1 : qMin<int>(value, 1);
}

bool WatchEntry::editorReportsChanges() const
{
    return WatchListFile::equalsTrueIgnoringCase(adviseChanges());
}

bool WatchEntry::popupReportsChanges() const
{
    return WatchListFile::containsTrue(adviseChanges());
}

bool WatchEntry::reportReportsChanges() const
{
    return WatchListFile::isLoweredTrue(adviseChanges());
}

bool WatchEntry::hasJob() const
{
    return !job().trimmed().isEmpty();
}

bool WatchEntry::runsJobWhenLate() const
{
    return WatchListFile::equalsTrueIgnoringCase(jobWhenLate());
}

std::optional<QDate> WatchEntry::jobStartedDay() const
{
    return LateJob::startedDay(jobStarted());
}
