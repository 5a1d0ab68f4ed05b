#include "engine/EntryWriter.h"

#include "engine/DateTexts.h"
#include "engine/FilePattern.h"
#include "engine/FileStamp.h"
#include "engine/LateJob.h"
#include "engine/SizeText.h"
#include "engine/WatchEntry.h"
#include "engine/WatchListFile.h"

#include <QDir>
#include <QFileInfo>

std::optional<EntryWriter::Result> EntryWriter::refusal(const EntryInput& input)
{
    if (input.description.isEmpty())
        return Result::NoDescription;
    if (input.fileName.isEmpty())
        return Result::NoFileName;
    if (input.directoryMode && FilePattern::holdsSeparator(input.pattern))
        return Result::PatternHoldsFolder;
    if (!SizeText::isWellFormed(input.smallestSize))
        return Result::NotASize;
    return std::nullopt;
}

QString EntryWriter::message(Result result)
{
    switch (result) {
    case Result::NoDescription:
        return QStringLiteral("You must enter a description of the file");
    case Result::NoFileName:
        return QStringLiteral("You must choose the file to watch");
    case Result::ListFull:
        return QStringLiteral("Your list is full: no more files can be added. Choose \"Never Remind me again\" "
                              "for a file you no longer need to watch, then add this one.");
    case Result::NoEntry:
        return QStringLiteral("The file you were editing could not be found in your list. Refresh the list and "
                              "try again.");
    case Result::PatternHoldsFolder:
        return QStringLiteral("The file names to look for cannot name a folder: leave out the \"%1\"")
            .arg(QDir::separator());
    case Result::NotASize:
        return QStringLiteral("You must enter the smallest size as a number of bytes, or as a number followed by "
                              "K, M or G, for example 500K");
    case Result::Saved:
        break;
    }
    return QString();
}

EntryWriter::Optional EntryWriter::storedOptional(IniFile& ini, const QString& inifilename, qint16 entry)
{
    const WatchEntry stored = WatchEntry::read(ini, inifilename, entry);
    Optional out;
    out.pattern = !stored.pattern().isEmpty();
    out.smallestSize = !stored.smallestSize().isEmpty();
    out.job = !stored.job().isEmpty();
    out.jobWhenLate = !stored.jobWhenLate().isEmpty();
    return out;
}

QList<IniFile::Write> EntryWriter::writes(const EntryInput& input, qint16 entry, const Seen& seen,
                                          const Optional& stored)
{
    const QString section = WatchListFile::savedSectionName(entry);
    QList<IniFile::Write> out{
        {section, QStringLiteral("filename"), input.fileName},
        {section, QStringLiteral("days"), QString::number(input.days)},
        {section, QStringLiteral("description"), input.description},
        {section, QStringLiteral("Postponedate"), QString()},
        {section, QStringLiteral("Notactive"), QStringLiteral("false")},
        {section, QStringLiteral("non-fixed file type"),
         input.directoryMode ? QString::number(input.typeIndex) : QString()},
        {section, QStringLiteral("advisechanges"),
         reportsChanges(input) ? QStringLiteral("true") : QStringLiteral("false")},
    };
    // Written only when set (or to clear what was), so that a watch list without them stays as it was.
    const QString pattern = input.directoryMode ? input.pattern.trimmed() : QString();
    if (!pattern.isEmpty() || stored.pattern)
        out.append({section, QStringLiteral("file pattern"), pattern});
    const QString smallest = input.smallestSize.trimmed();
    if (!smallest.isEmpty() || stored.smallestSize)
        out.append({section, QStringLiteral("smallest size"), smallest});
    const QString job = input.job.trimmed();
    if (!job.isEmpty() || stored.job)
        out.append({section, QStringLiteral("job"), job});
    // Without a command there is nothing to run by itself.
    const bool whenLate = input.jobWhenLate && !job.isEmpty();
    if (whenLate || stored.jobWhenLate)
        out.append({section, QStringLiteral("job when late"), whenLate ? QStringLiteral("true") : QString()});
    if (seen.replace) {
        // An empty value reads as no value at all.
        out.append(
            {section, FileStamp::kSeenKey.toString(), seen.moment ? FileStamp::changeText(*seen.moment) : QString()});
        out.append({section, FileStamp::kSeenMomentKey.toString(),
                    seen.moment ? FileStamp::changeMoment(*seen.moment) : QString()});
    }
    return out;
}

EntryWriter::Seen EntryWriter::seen(IniFile& ini, const QString& inifilename, const EntryInput& input, qint16 entry,
                                    bool isNew)
{
    const bool anythingStored = seenStored(ini, inifilename, entry);
    Seen out;
    FileStamp::refreshZone();
    FileQuery query(WatchListFile::shareTimeout(ini, inifilename));
    if (isNew) {
        // Read exactly as the check reads it, so a fresh entry never reports a change. A file that
        // is gone is saved without its moment; the next check reports it missing.
        if (reportsChanges(input))
            out.moment = FileStamp::modified(query.stat(input.fileName));
        out.replace = out.moment || anythingStored;
        return out;
    }
    // An edited entry keeps the moment the user last acknowledged, as long as it is the same file.
    if (sameFile(query, WatchEntry::read(ini, inifilename, entry).fileName(), input.fileName))
        return out;
    out.moment = FileStamp::modified(query.stat(input.fileName));
    out.replace = out.moment || anythingStored;
    return out;
}

bool EntryWriter::seenStored(IniFile& ini, const QString& inifilename, qint16 entry)
{
    const WatchEntry stored = WatchEntry::read(ini, inifilename, entry);
    return !stored.seen().isEmpty() || !stored.seenMoment().isEmpty();
}

bool EntryWriter::sameFile(FileQuery& query, const QString& a, const QString& b)
{
    if (a == b)
        return true;
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo first(a);
    const QFileInfo second(b);
    // Resolving a name on a share asks the share; there the names are compared as written.
    if (!query.onShare(a) && !query.onShare(b) && first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
    return QDir::cleanPath(QDir::fromNativeSeparators(first.absoluteFilePath()))
               .compare(QDir::cleanPath(QDir::fromNativeSeparators(second.absoluteFilePath())), kCase) == 0;
}

bool EntryWriter::reportsChanges(const EntryInput& input)
{
    // A folder entry's file changes whenever the folder's pick does: it never reports changes.
    return input.reportChanges && !input.directoryMode;
}

EntryWriter::Result EntryWriter::save(IniFile& ini, const QString& inifilename, const EntryInput& input, qint16 entry,
                                      bool isNew)
{
    if (const auto refused = refusal(input))
        return *refused;
    if (entry < 0)
        return isNew ? Result::ListFull : Result::NoEntry;
    ini.WriteStrings(inifilename, writes(input, entry, seen(ini, inifilename, input, entry, isNew),
                                         storedOptional(ini, inifilename, entry)));
    return Result::Saved;
}

EntryWriter::Result EntryWriter::saveNew(IniFile& ini, const QString& inifilename, const EntryInput& input,
                                         qint16* chosen)
{
    if (const auto refused = refusal(input))
        return *refused;
    // The file is asked before the lock is taken: a share slow to answer must not hold up the
    // writes of every other copy. Read exactly as the check reads it, so a fresh entry never
    // reports a change; a file that is gone is saved without its moment.
    Seen seen;
    if (reportsChanges(input)) {
        FileStamp::refreshZone();
        FileQuery query(WatchListFile::shareTimeout(ini, inifilename));
        seen.moment = FileStamp::modified(query.stat(input.fileName));
    }
    Result result = Result::Saved;
    ini.UpdateStrings(inifilename, [&]() -> std::optional<QList<IniFile::Write>> {
        const std::optional<qint16> entry = WatchListFile::nextFreeNumber(ini, inifilename);
        if (!entry) {
            result = Result::ListFull;
            return std::nullopt;
        }
        if (chosen)
            *chosen = *entry;
        // The number's earlier owner leaves no moment behind.
        seen.replace = seen.moment || seenStored(ini, inifilename, *entry);
        return writes(input, *entry, seen, storedOptional(ini, inifilename, *entry));
    });
    return result;
}

void EntryWriter::postpone(IniFile& ini, const QString& inifilename, qint16 entry, const QDate& until, bool never)
{
    const QString section = WatchListFile::sectionName(entry);
    QList<IniFile::Write> out{{section, QStringLiteral("Postponedate"), DateTexts::shortDate(until)}};
    if (never)
        out.append({section, QStringLiteral("Notactive"), QStringLiteral("true")});
    ini.WriteStrings(inifilename, out);
}

void EntryWriter::acknowledge(IniFile& ini, const QString& inifilename, qint16 entry, const FileStamp::Local& modified)
{
    const QString section = WatchListFile::sectionName(entry);
    ini.WriteStrings(inifilename, {{section, FileStamp::kSeenKey.toString(), FileStamp::changeText(modified)},
                                   {section, FileStamp::kSeenMomentKey.toString(), FileStamp::changeMoment(modified)}});
}

void EntryWriter::markRemoved(IniFile& ini, const QString& inifilename, const QString& section)
{
    ini.WriteStrings(inifilename, {IniFile::Write{section, QStringLiteral("Notactive"), QStringLiteral("true")}});
}

void EntryWriter::storePicks(IniFile& ini, const QString& inifilename, const QList<EntryChecker::Pick>& picks)
{
    QList<IniFile::Write> writes;
    writes.reserve(picks.size());
    for (const EntryChecker::Pick& pick : picks)
        writes.append({WatchListFile::sectionName(pick.entry), QStringLiteral("filename"), pick.fileName});
    ini.WriteStrings(inifilename, writes);
}

bool EntryWriter::claimLateJob(IniFile& ini, const QString& inifilename, qint16 entry, const QDateTime& now)
{
    bool claimed = false;
    ini.UpdateStrings(inifilename, [&]() -> std::optional<QList<IniFile::Write>> {
        claimed = WatchEntry::read(ini, inifilename, entry).jobStartedDay() != now.toLocalTime().date();
        if (!claimed)
            return std::nullopt;
        return QList<IniFile::Write>{
            {WatchListFile::sectionName(entry), QStringLiteral("job started"), LateJob::startedText(now)}};
    });
    return claimed;
}
