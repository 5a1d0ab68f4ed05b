#include "engine/EntryChecker.h"

#include "engine/DateTexts.h"
#include "engine/FilePattern.h"
#include "engine/FileQuery.h"
#include "engine/FileStamp.h"
#include "engine/PathPieces.h"
#include "engine/SizeText.h"
#include "engine/WatchList.h"
#include "engine/WatchListFile.h"
#include "engine/getlastfile.h"

#include <vector>

namespace {

// The state the report gives, with what is known of the file.
void settle(EntryReport& report, EntryReport::State state, const std::optional<FileStamp::Local>& modified,
            const QDate& today)
{
    report.state = state;
    report.error.clear();
    if (!modified)
        return;
    // A UTC moment needs no time zone data of its own: 0.3 MB less at 10,000 entries.
    report.modified = modified->utcOffset == 0
                          ? QDateTime(modified->date, modified->time, Qt::UTC)
                          : QDateTime(modified->date, modified->time, Qt::OffsetFromUTC, modified->utcOffset);
    report.age = DateTexts::ageInDays(modified->date, today);
}

EntryReport::Kind reportKind(qint16 kind)
{
    if (kind == -1)
        return EntryReport::Kind::File;
    return kind == 0 ? EntryReport::Kind::Oldest : EntryReport::Kind::Newest;
}

} // namespace

// What the file system said about one entry's file.
struct EntryChecker::Examined
{
    QString fileName;    // as stored, or a folder entry's pick
    QString unreachable; // why a folder entry's folder could not be listed; its pick is not known
    bool asked = false;  // whether `answer` holds anything: a file the check does not need is not asked
    FileQuery::Answer answer;
};

EntryChecker::EntryChecker(FileQuery& query, const QDate& today) : m_query(query), m_today(today) {}

QString EntryChecker::oldRowText(QStringView description, qint16 age)
{
    const QLatin1String verb(description.endsWith(QLatin1Char('s')) ? " are " : " is ");
    const QLatin1String unit(age == 1 ? " day old" : " days old");
    return description.toString() + verb + QString::number(age) + unit;
}

QString EntryChecker::smallRowText(QStringView description, qint64 size)
{
    const QLatin1String verb(description.endsWith(QLatin1Char('s')) ? " are only " : " is only ");
    return description.toString() + verb + SizeText::format(size);
}

QString EntryChecker::changedRowText(QStringView description)
{
    return description.toString() + QStringLiteral(" has changed");
}

QString EntryChecker::unreachableRowText(QStringView description)
{
    return description.toString() + QStringLiteral(" cannot be reached");
}

QString EntryChecker::placeOf(const QString& fileName, bool found)
{
    return found ? fileName : PathPieces::folderOf(fileName);
}

EntryChecker::Result EntryChecker::check(const WatchList& list, bool showAll)
{
    FileStamp::refreshZone();
    Result result;
    // First every question to the file system, in entry order, which is the order in which the
    // shares are waited on; then the judging, which waits on nothing.
    std::vector<Examined> found;
    found.reserve(size_t(list.entries.size()));
    for (const WatchEntry& entry : list.entries) {
        if (m_progress)
            m_progress();
        found.push_back(examine(entry, showAll));
        if (stopped())
            return result;
    }
    // The number without a file name that ends the walk is looked at too, and adds nothing.
    if (list.end <= WatchListFile::kLastEntryNumber && m_progress)
        m_progress();
    result.lastEntry = qint16(qMin(list.end + 1, int(WatchListFile::kLastEntryNumber)));
    if (m_collectReport)
        result.entries.reserve(list.entries.size());
    for (qsizetype n = 0; n < list.entries.size(); ++n) {
        const WatchEntry& entry = list.entries[n];
        if (entry.isActive())
            ++result.watched;
        judge(entry, found[size_t(n)], showAll, result);
    }
    return result;
}

bool EntryChecker::hidden(std::optional<QDate> until, bool showAll) const
{
    // Its midnight is later than now exactly when the day itself lies after today.
    return !showAll && until && *until > m_today;
}

EntryChecker::Examined EntryChecker::examine(const WatchEntry& entry, bool showAll)
{
    Examined found;
    found.fileName = entry.fileName();
    // Every folder entry takes its pick, also one that is then left out.
    if (entry.checkKind() != -1)
        chooseFolderFile(entry, found);
    const bool needed = m_collectReport || (entry.isActive() && !hidden(entry.postponedUntil(), showAll));
    if (needed && found.unreachable.isEmpty()) {
        found.answer = m_query.stat(found.fileName);
        found.asked = true;
    }
    return found;
}

void EntryChecker::chooseFolderFile(const WatchEntry& entry, Examined& found)
{
    const QString folder = PathPieces::folderOf(entry.fileName());
    // A name without any folder part names no folder to look in; it stays as it is.
    if (folder.isEmpty())
        return;
    const FolderPick pick = pickFolderFile(m_query, folder, entry.checkKind() != 0, FilePattern(entry.pattern()));
    // A folder that cannot be asked keeps its stored pick: writing the folder back would lose it.
    if (pick.listing.state == FileQuery::Answer::State::Unreachable) {
        found.unreachable = pick.listing.why;
        return;
    }
    found.fileName = pick.file;
}

void EntryChecker::judge(const WatchEntry& entry, const Examined& found, bool showAll, Result& result) const
{
    if (found.fileName != entry.fileName())
        result.picks.append(Pick{entry.number, found.fileName});
    // What the entry stores, read once: judging reads it from the report.
    EntryReport report;
    report.number = entry.number;
    report.description = entry.checkDescription();
    report.fileName = found.fileName;
    const qint16 kind = entry.checkKind();
    report.kind = reportKind(kind);
    report.days = entry.checkDays();
    if (kind != -1)
        report.pattern = entry.pattern();
    report.smallestSize = entry.smallestBytes();
    report.postponeDate = entry.postponedUntil();
    const QString text = judgeFile(entry, found, showAll, report);
    if (!text.isNull()) {
        using State = EntryReport::State;
        const bool there = report.state != State::Unreachable && report.state != State::Missing;
        result.rows.append(CheckRow{text, entry.number, placeOf(found.fileName, there)});
    }
    if (report.state == EntryReport::State::Missing)
        result.gone.append(Gone{entry.number, found.fileName});
    if (m_collectReport)
        result.entries.append(std::move(report));
}

QString EntryChecker::judgeFile(const WatchEntry& entry, const Examined& found, bool showAll, EntryReport& report) const
{
    const std::optional<FileStamp::Local> modified =
        found.asked ? FileStamp::modified(found.answer) : std::optional<FileStamp::Local>();
    if (hidden(report.postponeDate, showAll)) {
        settle(report, EntryReport::State::Postponed, modified, m_today);
        return QString();
    }
    if (!entry.isActive()) {
        settle(report, EntryReport::State::Removed, modified, m_today);
        return QString();
    }
    const QString& description = report.description;
    // A file that could not be asked about may well be there: it is listed, and never offered for removal.
    if (!found.unreachable.isEmpty() || found.answer.state == FileQuery::Answer::State::Unreachable) {
        settle(report, EntryReport::State::Unreachable, std::nullopt, m_today);
        report.error = found.unreachable.isEmpty() ? found.answer.why : found.unreachable;
        return unreachableRowText(description);
    }
    if (!modified) {
        settle(report, EntryReport::State::Missing, std::nullopt, m_today);
        return QString();
    }
    const qint16 age = DateTexts::ageInDays(modified->date, m_today);
    const bool old = age >= report.days;
    const bool small = report.smallestSize && found.answer.size < *report.smallestSize;
    // A missing date reads as the current one, so only a stored date can tell of a change.
    const bool changed = entry.checkReportsChanges() && !entry.seen().isEmpty() &&
                         FileStamp::changedSince(entry.seen(), entry.seenMoment(), *modified);
    report.size = found.answer.size;
    using State = EntryReport::State;
    settle(report, changed ? State::Changed : (old ? State::Old : (small ? State::Small : State::Ok)), modified,
           m_today);
    // One row for the worst of what is wrong: changed before old before too small.
    if (changed)
        return changedRowText(description);
    if (small && !old)
        return smallRowText(description, found.answer.size);
    if (old || showAll)
        return oldRowText(description, age);
    return QString();
}
