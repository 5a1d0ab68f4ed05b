#include "core/EntryChecker.h"

#include "core/Clock.h"
#include "core/DateTexts.h"
#include "core/FileStamp.h"
#include "core/LeadingNumber.h"
#include "core/Prompter.h"
#include "core/WatchListFile.h"
#include "core/getlastfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kFolderDescriptionLength = 35;

} // namespace

struct EntryChecker::Entry
{
    QString section;
    QString fileName;
    qint16 days = 0;
    QString description;
    QString postponeDate;
    qint16 kind = -1; // -1 a fixed file, 0 the oldest file of a folder, anything else the newest
};

EntryChecker::EntryChecker(IniFile& ini, QString inifilename, QString tempinifilename)
    : m_ini(ini), m_inifilename(std::move(inifilename)), m_tempinifilename(std::move(tempinifilename))
{}

QString EntryChecker::oldRowText(const QString& description, qint16 age)
{
    const QString verb = description.endsWith(QLatin1Char('s')) ? QStringLiteral(" are ") : QStringLiteral(" is ");
    const QString unit = age == 1 ? QStringLiteral("day old") : QStringLiteral("days old");
    return description + verb + QString::number(age) + QLatin1Char(' ') + unit;
}

QString EntryChecker::changedRowText(const QString& description)
{
    return description + QStringLiteral(" has changed");
}

QString EntryChecker::missingFileQuestion(const QString& fileName)
{
    return QStringLiteral("The following file no longer exist's\n\n") + fileName +
           QStringLiteral("\n\nWould you like me to remove it from your list of files");
}

EntryChecker::Result EntryChecker::run(bool showAll)
{
    if (QFileInfo::exists(m_tempinifilename))
        QFile::remove(m_tempinifilename);
    m_rowMap.clear();
    FileStamp::refreshZone();
    m_today = Clock::now().toLocalTime().date();

    // One look at the disk for a fresh parse, then the walk trusts it.
    m_ini.ReadString(QStringLiteral("Settings"), QStringLiteral("Start in Tray"), m_inifilename, QString());
    m_trusted.emplace(m_ini);

    Result result;
    int cnt = 0;
    try {
        while (checkEntry(static_cast<qint16>(cnt), showAll, result) && cnt < WatchListFile::kLastEntryNumber)
            ++cnt;
    } catch (...) {
        m_trusted.reset();
        throw;
    }
    m_trusted.reset();
    result.lastEntry = static_cast<qint16>(qMin(cnt + 1, int(WatchListFile::kLastEntryNumber)));

    if (!m_rowMap.isEmpty())
        writeValues(m_tempinifilename, m_rowMap);
    m_rowMap.clear();
    return result;
}

bool EntryChecker::checkEntry(qint16 cnt, bool showAll, Result& result)
{
    if (m_progress)
        m_progress();
    Entry entry = readEntry(cnt);
    if (entry.kind != -1)
        chooseFolderFile(entry);
    if (const auto text = rowText(entry, showAll)) {
        m_rowMap.append(IniFile::Write{WatchListFile::rowSectionName(result.rows.size()), QStringLiteral("realnumber"),
                                       QString::number(cnt)});
        result.rows.append(CheckRow{*text, cnt});
    }
    return !entry.fileName.isEmpty();
}

EntryChecker::Entry EntryChecker::readEntry(qint16 cnt)
{
    Entry e;
    e.section = WatchListFile::sectionName(cnt);
    const auto read = [&](const QString& key, const QString& def) {
        return m_ini.ReadString(e.section, key, m_inifilename, def);
    };
    e.fileName = read(QStringLiteral("filename"), QString());
    e.days = LeadingNumber::toInt16(read(QStringLiteral("days"), QStringLiteral("0")));
    e.description = read(QStringLiteral("description"), QString());
    e.postponeDate = read(QStringLiteral("Postponedate"), QString());
    e.kind = LeadingNumber::toInt16(read(QStringLiteral("non-fixed file type"), QStringLiteral("-1")));
    if (e.kind >= 2)
        e.kind = 1;
    return e;
}

void EntryChecker::chooseFolderFile(Entry& entry)
{
    if (entry.description.size() > kFolderDescriptionLength)
        entry.description.truncate(kFolderDescriptionLength);
    const QString separator = QDir::separator();
    const QString lastPiece = m_ini.LastPiece(entry.fileName, 1, separator);
    const QString folder = entry.fileName.left(entry.fileName.size() - lastPiece.size());
    // A name without any folder part names no folder to look in; it stays as it is.
    if (folder.isEmpty())
        return;
    const QString chosen = getlastfile(folder, entry.kind != 0);
    if (chosen == entry.fileName)
        return;
    entry.fileName = chosen;
    writeValues(m_inifilename, {IniFile::Write{entry.section, QStringLiteral("filename"), chosen}});
}

std::optional<QString> EntryChecker::rowText(const Entry& entry, bool showAll)
{
    const auto read = [&](const QString& key, const QString& def) {
        return m_ini.ReadString(entry.section, key, m_inifilename, def);
    };
    if (!showAll) {
        const auto postponed = DateTexts::parseShortDate(entry.postponeDate);
        // Its midnight is later than now exactly when the day itself lies after today.
        if (postponed && *postponed > m_today)
            return std::nullopt;
    }
    const bool removed = read(QStringLiteral("Notactive"), QString()).toLower() == QLatin1String("true");
    if (entry.description.isEmpty() || removed)
        return std::nullopt;

    const auto modified = FileStamp::modified(entry.fileName);
    if (!modified) {
        if (Prompter::askYesNo(m_parent, missingFileQuestion(entry.fileName), true, Prompter::Icon::None))
            writeValues(m_inifilename, {IniFile::Write{entry.section, QStringLiteral("Notactive"), "true"}});
        return std::nullopt;
    }

    std::optional<QString> text;
    const qint16 age = DateTexts::ageInDays(modified->date, m_today);
    if (age >= entry.days || showAll)
        text = oldRowText(entry.description, age);
    // Letter case matters here: only the program's own "true" asks for change reports in the list.
    if (read(QStringLiteral("advisechanges"), QString()).contains(QLatin1String("true"))) {
        const QString current = FileStamp::changeText(*modified);
        if (read(QStringLiteral("last date changed"), current) != current)
            text = changedRowText(entry.description);
    }
    return text;
}

void EntryChecker::writeValues(const QString& path, const QList<IniFile::Write>& writes)
{
    const bool trusted = m_trusted.has_value();
    m_trusted.reset();
    try {
        m_ini.WriteStrings(path, writes);
    } catch (...) {
        if (trusted)
            m_trusted.emplace(m_ini);
        throw;
    }
    if (trusted)
        m_trusted.emplace(m_ini);
}
