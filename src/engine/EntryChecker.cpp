#include "engine/EntryChecker.h"

#include "base/AppError.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/EntryWriter.h"
#include "engine/FilePattern.h"
#include "engine/FileQuery.h"
#include "engine/FileStamp.h"
#include "engine/LeadingNumber.h"
#include "engine/MissingFileQuestion.h"
#include "engine/PathPieces.h"
#include "engine/SizeText.h"
#include "engine/WatchListFile.h"
#include "engine/getlastfile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <new>

namespace {

constexpr int kFolderDescriptionLength = 35;

// The state the report gives, with what is known of the file.
void settle(EntryReport& report, EntryReport::State state, const std::optional<FileStamp::Local>& modified,
            const QDate& today)
{
    report.state = state;
    report.error.clear();
    if (!modified)
        return;
    // Qt takes an offset of zero for UTC anyway, and keeps a UTC moment without an allocation of its own.
    report.modified = modified->utcOffset == 0
                          ? QDateTime(modified->date, modified->time, Qt::UTC)
                          : QDateTime(modified->date, modified->time, Qt::OffsetFromUTC, modified->utcOffset);
    report.age = DateTexts::ageInDays(modified->date, today);
}

// The keys the walk reads of every entry, found together in one pass over its section.
enum Key
{
    kFileName,
    kDays,
    kDescription,
    kKind,
    kPattern,
    kSmallest,
    kPostponeDate,
    kNotActive,
    kAdviseChanges,
    kSeen,
    kSeenMoment,
    kKeyCount
};

const QLatin1String kKeys[kKeyCount] = {
    QLatin1String("filename"),
    QLatin1String("days"),
    QLatin1String("description"),
    QLatin1String("non-fixed file type"),
    QLatin1String("file pattern"),
    QLatin1String("smallest size"),
    QLatin1String("Postponedate"),
    QLatin1String("Notactive"),
    QLatin1String("advisechanges"),
    QLatin1String(FileStamp::kSeenKey),
    QLatin1String(FileStamp::kSeenMomentKey),
};

} // namespace

struct EntryChecker::Entry
{
    qint16 number = 0;
    // The entry's keys as last read; read again after any write to the watch list file.
    IniFile::SectionValues values;
    QStringView keys[kKeyCount]; // into the checker's m_keyText, empty where missing
    void readKeys(QString& text) { values.ReadViews(kKeys, keys, kKeyCount, text); }
    // Moves the views along with the text they point into, when it has moved from `from` to `to`.
    void rebase(const QChar* from, const QChar* to)
    {
        for (QStringView& key : keys) {
            if (!key.isEmpty())
                key = QStringView(to + (key.data() - from), key.size());
        }
    }
    QString chosen; // the file a folder entry's pick made its own, in the place of the one stored
    // "filename", or the pick of a folder entry.
    QStringView fileName() const { return chosen.isNull() ? keys[kFileName] : QStringView(chosen); }
    // "description", shortened for a folder entry.
    QStringView description() const
    {
        const QStringView text = keys[kDescription];
        return kind == -1 ? text : text.first(qMin(text.size(), qsizetype(kFolderDescriptionLength)));
    }
    // Neither removed nor blank; an entry without a file name ends the walk, with no file to ask about.
    bool isActive() const
    {
        return !description().isEmpty() && !WatchListFile::isLoweredTrue(keys[kNotActive]) && !fileName().isEmpty();
    }
    qint16 days = 0;
    qint16 kind = -1;               // -1 a fixed file, 0 the oldest file of a folder, anything else the newest
    QString unreachable;            // why the folder could not be listed; its pick is not known
    QString pattern;                // the names a folder entry's pick takes ("file pattern"), every one when empty
    std::optional<qint64> smallest; // "smallest size" in bytes, when the entry has a size test
    std::optional<QDate> postponed; // "Postponedate", when it holds a date
};

EntryChecker::EntryChecker(IniFile& ini, QString inifilename, QString tempinifilename)
    : m_ini(ini), m_inifilename(std::move(inifilename)), m_tempinifilename(std::move(tempinifilename))
{}

EntryChecker::~EntryChecker() = default;

QString EntryChecker::oldRowText(QStringView description, qint16 age)
{
    const QLatin1String verb(description.endsWith(QLatin1Char('s')) ? " are " : " is ");
    const QLatin1String unit(age == 1 ? " day old" : " days old");
    char digits[8];
    const QLatin1String number(digits, std::to_chars(digits, digits + sizeof digits, int(age)).ptr);
    // Most rows say this: made in one allocation and written in place, without the appends' checks.
    QString text(description.size() + verb.size() + number.size() + unit.size(), Qt::Uninitialized);
    QChar* out = std::copy(description.cbegin(), description.cend(), text.data());
    for (const QLatin1String piece : {verb, number, unit})
        out = std::transform(piece.begin(), piece.end(), out, [](char c) { return QChar(uchar(c)); });
    return text;
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

EntryChecker::Result EntryChecker::run(bool showAll)
{
    try {
        return walk(showAll);
    } catch (const std::bad_alloc&) {
        // Raised before the row map is written: a walk cut short must not replace it.
        throw AppError(AppError::OutOfMemory, QStringLiteral("EntryChecker"),
                       QStringLiteral("There is not enough memory to check the watch list."));
    }
}

EntryChecker::Result EntryChecker::walk(bool showAll)
{
    const bool writes = m_mode != Mode::ReadOnly;
    if (writes && QFileInfo::exists(m_tempinifilename))
        QFile::remove(m_tempinifilename);
    FileStamp::refreshZone();
    m_today = Clock::now().toLocalTime().date();

    // One look at the disk for a fresh parse, then the walk trusts it. Our own writes during the
    // walk still re-read the file under the lock, and the reads after them see what they wrote.
    m_query = std::make_unique<FileQuery>(WatchListFile::shareTimeout(m_ini, m_inifilename));
    m_query->setDeadline(m_deadline);
    m_query->setAbandon([this] { return stopped(); });
    Result result;
    int cnt = 0;
    {
        const IniFile::TrustedReads trusted(m_ini);
        while (checkEntry(static_cast<qint16>(cnt), showAll, result) && !stopped() &&
               cnt < WatchListFile::kLastEntryNumber)
            ++cnt;
    }
    result.lastEntry = static_cast<qint16>(qMin(cnt + 1, int(WatchListFile::kLastEntryNumber)));
    if (stopped())
        return result;

    if (writes && !result.rows.isEmpty())
        saveRowMap(result.rows);
    return result;
}

void EntryChecker::saveRowMap(const QList<CheckRow>& rows)
{
    // The walk removed the file before it began, and the file holds nothing but the rows: it is
    // written whole, in one go.
    QByteArray text;
    text.reserve(rows.size() * 40);
    for (int row = 0; row < rows.size(); ++row) {
        char digits[8];
        const auto end = std::to_chars(digits, digits + sizeof digits, int(rows[row].entry)).ptr;
        IniDocument::appendNewSection(text, WatchListFile::rowSectionName(row).latin1(), QLatin1String("realnumber"),
                                      QLatin1String(digits, end));
    }
    m_ini.ReplaceFile(m_tempinifilename, text);
}

bool EntryChecker::stopped() const
{
    return m_stopped && m_stopped();
}

bool EntryChecker::checkEntry(qint16 cnt, bool showAll, Result& result)
{
    if (m_progress)
        m_progress();
    if (m_next >= m_ahead.size() || m_ahead[m_next].number != cnt)
        readAhead(cnt);
    Entry entry = std::move(m_ahead[m_next++]);
    // Room for a row and an entry from every section at once: the lists of a long watch list would
    // otherwise be copied as they grow, and hold two copies at the moment they do.
    if (cnt == 0) {
        result.rows.reserve(entry.values.sectionCount());
        if (m_collectReport)
            result.entries.reserve(entry.values.sectionCount());
    }
    if (entry.kind != -1)
        chooseFolderFile(entry);
    EntryReport report;
    EntryReport* const reported = m_collectReport && !entry.fileName().isEmpty() ? &report : nullptr;
    if (auto text = rowText(entry, showAll, reported))
        result.rows.append(CheckRow{std::move(*text), cnt});
    if (reported) {
        describe(report, entry, cnt);
        result.entries.append(std::move(report));
    }
    return !entry.fileName().isEmpty();
}

EntryChecker::Entry EntryChecker::readEntry(qint16 cnt)
{
    Entry e;
    e.number = cnt;
    // Named on the stack: only a write needs the name as a string of its own.
    e.values = m_ini.ReadSection(WatchListFile::sectionNameOnStack(cnt).view(), m_inifilename);
    e.readKeys(m_keyText);
    e.days = LeadingNumber::toInt16(e.keys[kDays]);
    const QStringView kind = e.keys[kKind];
    e.kind = kind.isEmpty() ? qint16(-1) : LeadingNumber::toInt16(kind);
    if (e.kind >= 2)
        e.kind = 1;
    // Most entries hold neither key; an empty view costs no copy and no parse.
    if (const QStringView pattern = e.keys[kPattern]; !pattern.isEmpty())
        e.pattern = pattern.toString();
    if (const QStringView smallest = e.keys[kSmallest]; !smallest.isEmpty())
        e.smallest = SizeText::bytes(smallest);
    if (const QStringView postponeDate = e.keys[kPostponeDate]; !postponeDate.isEmpty())
        e.postponed = DateTexts::parseShortDate(postponeDate.toString());
    return e;
}

void EntryChecker::readAhead(qint16 from)
{
    m_ahead.clear();
    m_next = 0;
    m_keyText.resize(0);
    for (int cnt = from; cnt <= WatchListFile::kLastEntryNumber && int(m_ahead.size()) < kReadAhead; ++cnt) {
        const QChar* const before = m_keyText.constData();
        m_ahead.push_back(readEntry(qint16(cnt)));
        // The entries already read point into the text the last one made room in.
        if (m_keyText.constData() != before) {
            for (size_t n = 0; n + 1 < m_ahead.size(); ++n)
                m_ahead[n].rebase(before, m_keyText.constData());
        }
        if (m_ahead.back().fileName().isEmpty())
            break;
    }
}

bool EntryChecker::hidden(const Entry& entry, bool showAll) const
{
    // Its midnight is later than now exactly when the day itself lies after today.
    return !showAll && entry.postponed && *entry.postponed > m_today;
}

FileQuery::Answer EntryChecker::ask(const Entry& entry)
{
    return m_query->stat(entry.fileName());
}

void EntryChecker::chooseFolderFile(Entry& entry)
{
    const QString folder = PathPieces::folderOf(entry.fileName().toString());
    // A name without any folder part names no folder to look in; it stays as it is.
    if (folder.isEmpty())
        return;
    const FolderPick pick = pickFolderFile(*m_query, folder, entry.kind != 0, FilePattern(entry.pattern));
    // A folder that cannot be asked keeps its stored pick: writing the folder back would lose it.
    if (pick.listing.state == FileQuery::Answer::State::Unreachable) {
        entry.unreachable = pick.listing.why;
        return;
    }
    const QString& chosen = pick.file;
    if (chosen == entry.fileName())
        return;
    entry.chosen = chosen;
    if (m_mode == Mode::ReadOnly)
        return;
    const QString section = WatchListFile::sectionName(entry.number);
    EntryWriter::setPickedFile(m_ini, m_inifilename, section, chosen);
    // The save started from the file on disk, which another running copy may have changed: the
    // entries read ahead are read again.
    m_ahead.clear();
    m_keyText.resize(0);
    entry.values = m_ini.ReadSection(section, m_inifilename);
    entry.readKeys(m_keyText);
}

std::optional<FileStamp::Local> EntryChecker::stamp(const Entry& entry)
{
    if (!entry.unreachable.isEmpty())
        return std::nullopt;
    return FileStamp::modified(ask(entry));
}

void EntryChecker::describe(EntryReport& report, const Entry& entry, qint16 cnt) const
{
    report.number = cnt;
    report.description = entry.description().toString();
    report.fileName = entry.fileName().toString();
    report.kind = entry.kind == -1 ? EntryReport::Kind::File
                                   : (entry.kind == 0 ? EntryReport::Kind::Oldest : EntryReport::Kind::Newest);
    report.days = entry.days;
    if (entry.kind != -1)
        report.pattern = entry.pattern;
    report.smallestSize = entry.smallest;
}

std::optional<QString> EntryChecker::rowText(const Entry& entry, bool showAll, EntryReport* report)
{
    if (report)
        report->postponeDate = entry.postponed;
    if (hidden(entry, showAll)) {
        if (report)
            settle(*report, EntryReport::State::Postponed, stamp(entry), m_today);
        return std::nullopt;
    }
    if (!entry.isActive()) {
        if (report)
            settle(*report, EntryReport::State::Removed, stamp(entry), m_today);
        return std::nullopt;
    }

    const QStringView description = entry.description();
    FileQuery::Answer answer;
    if (entry.unreachable.isEmpty())
        answer = ask(entry);
    else {
        answer.state = FileQuery::Answer::State::Unreachable;
        answer.why = entry.unreachable;
    }
    // A file that could not be asked about may well be there: it is listed, and never offered for removal.
    if (answer.state == FileQuery::Answer::State::Unreachable) {
        if (report) {
            settle(*report, EntryReport::State::Unreachable, std::nullopt, m_today);
            report->error = answer.why;
        }
        return unreachableRowText(description);
    }
    const auto modified = FileStamp::modified(answer);
    if (!modified) {
        if (report)
            settle(*report, EntryReport::State::Missing, std::nullopt, m_today);
        if (m_mode == Mode::Refresh && m_question) {
            // Files asked about before the question may have changed while it waited for its answer.
            m_ahead.clear();
            if (m_question->removeEntry(entry.fileName().toString()))
                EntryWriter::markRemoved(m_ini, m_inifilename, WatchListFile::sectionName(entry.number));
        }
        return std::nullopt;
    }

    std::optional<QString> text;
    const qint16 age = DateTexts::ageInDays(modified->date, m_today);
    const bool old = age >= entry.days;
    const bool small = entry.smallest && answer.size < *entry.smallest;
    bool changed = false;
    // One row for the worst of what is wrong: changed before old before too small.
    if (small && !old)
        text = smallRowText(description, answer.size);
    else if (old || showAll)
        text = oldRowText(description, age);
    if (report)
        report->size = answer.size;
    if (WatchListFile::containsLowerTrue(entry.keys[kAdviseChanges])) {
        // A missing date reads as the current one, so only a stored date needs the current rendered.
        const QStringView stored = entry.keys[kSeen];
        if (!stored.isEmpty() && FileStamp::changedSince(stored, entry.keys[kSeenMoment], *modified)) {
            text = changedRowText(description);
            changed = true;
        }
    }
    if (report) {
        using State = EntryReport::State;
        settle(*report, changed ? State::Changed : (old ? State::Old : (small ? State::Small : State::Ok)), modified,
               m_today);
    }
    return text;
}
