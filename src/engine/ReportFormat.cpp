#include "engine/ReportFormat.h"

#include "base/AppInfo.h"
#include "engine/CheckReport.h"

#include <QHash>

namespace ReportFormat {

namespace {

using State = EntryReport::State;

struct Named
{
    const char* name;
    Format format;
};

constexpr Named kFormats[] = {
    {"text", Format::Text},
    {"json", Format::Json},
    {"nagios", Format::Nagios},
    {"prometheus", Format::Prometheus},
};

// The rows as the main list shows them, one a line, then a line for each missing file and for each
// file that cannot be reached, each written by `line`.
template <typename Line> void addLines(const CheckReport& report, ReportWriter& out, Line line)
{
    for (const QStringList& lines : {report.rows, report.missingLines(), report.unreachableLines()}) {
        for (const QString& text : lines) {
            line(text);
            out.add('\n');
            out.pieceDone();
        }
    }
}

// A "|" anywhere in the monitoring plugins' output starts performance data, so none may come from
// the user's texts.
QByteArray nagiosPlain(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('|'), QChar(0x00A6));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out.toUtf8();
}

QByteArray nagiosPrefix(CheckReport::Status status)
{
    return AppInfo::productName().toUpper().toUtf8() + ' ' + CheckReport::statusName(status).data() + " - ";
}

// The monitoring plugins' convention: one status line with performance data, then the rows and
// the missing files as long output.
void writeNagios(const CheckReport& report, ReportWriter& out)
{
    const QByteArray total = QByteArray::number(report.entries.size());
    // The problems first and "ok" last, so that a narrow screen cut at 80 columns still shows them;
    // a state no entry is in is left out here but still counted in the performance data.
    QList<State> order = EntryReport::states();
    order.removeOne(State::Ok);
    order.append(State::Ok);
    QByteArrayList summary;
    QByteArrayList perfdata;
    for (const State state : order) {
        const int count = report.count(state);
        const QByteArray n = QByteArray::number(count);
        const QByteArray name = EntryReport::stateName(state).data();
        if (count > 0)
            summary.append(n + ' ' + name);
        // label=value;warn;crit;min;max. A threshold of 0 alerts on any count above none, which is
        // where the status itself turns WARNING or CRITICAL.
        const char* warn = state == State::Changed ? "0" : "";
        const char* crit = state == State::Old || state == State::Missing || state == State::Small ? "0" : "";
        perfdata.append(name + '=' + n + ';' + warn + ';' + crit + ";0;" + total);
    }
    perfdata.append("entries=" + total + ";;;0");
    // QByteArray::number never uses the locale's digits or decimal comma.
    perfdata.append("duration=" + QByteArray::number(report.durationSeconds, 'f', 6) + "s;;;0");

    out.add(nagiosPrefix(report.status()));
    out.add(summary.isEmpty() ? QByteArray("no entries") : summary.join(", "));
    out.add(" | " + perfdata.join(' ') + '\n');
    addLines(report, out, [&out](const QString& line) { out.add(nagiosPlain(line)); });
}

// JSON

// Written straight into the output rather than through a JSON object model, which costs several
// times the check itself for a long watch list.
void appendString(ReportWriter& out, const QString& text)
{
    out.add('"');
    // Most texts are ASCII that needs no escape, which goes across in one loop of its own: through
    // ReportWriter::addEscaped alone, the strings of a 10,000-entry --check cost 17% more instructions.
    const qsizetype done =
        out.addAsciiWhile(text, [](char16_t c) { return c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\'; });
    const auto special = [](auto c) { return c < 0x20 || c == '"' || c == '\\'; };
    if (done < text.size()) {
        out.addEscaped(QStringView(text).sliced(done), special, [](ReportWriter& to, char c) {
            switch (c) {
            case '"':
                to.add("\\\"");
                break;
            case '\\':
                to.add("\\\\");
                break;
            case '\n':
                to.add("\\n");
                break;
            case '\r':
                to.add("\\r");
                break;
            case '\t':
                to.add("\\t");
                break;
            default:
                const char hex[] = "0123456789abcdef";
                const char escaped[] = {'\\', 'u', '0', '0', hex[(c >> 4) & 0xF], hex[c & 0xF]};
                to.add(QByteArrayView(escaped, sizeof escaped));
            }
        });
    }
    out.add('"');
}

void appendMoment(ReportWriter& out, const QDateTime& moment)
{
    out.add('"');
    out.addMoment(moment.date(), moment.time(), moment.offsetFromUtc());
    out.add('"');
}

void appendKey(ReportWriter& out, QByteArrayView key)
{
    out.add('"');
    out.add(key);
    out.add("\":");
}

void appendEntry(ReportWriter& out, const EntryReport& entry)
{
    out.add("{\"number\":");
    out.addNumber(entry.number);
    out.add(",\"description\":");
    appendString(out, entry.description);
    out.add(",\"file\":");
    appendString(out, entry.fileName);
    out.add(",\"kind\":\"");
    out.add(EntryReport::kindName(entry.kind));
    out.add("\",\"days\":");
    out.addNumber(entry.days);
    out.add(",\"age\":");
    if (entry.age)
        out.addNumber(*entry.age);
    else
        out.add("null");
    out.add(",\"state\":\"");
    out.add(EntryReport::stateName(entry.state));
    out.add("\",\"postponeDate\":");
    if (entry.postponeDate) {
        out.add('"');
        out.add(entry.postponeDate->toString(Qt::ISODate).toLatin1());
        out.add('"');
    } else {
        out.add("null");
    }
    out.add(",\"lastModified\":");
    if (entry.modified)
        appendMoment(out, *entry.modified);
    else
        out.add("null");
    // Only where there is something to say, so that the reports of reachable entries stay as they were.
    if (entry.state == EntryReport::State::Unreachable) {
        out.add(',');
        appendKey(out, "error");
        appendString(out, entry.error);
    }
    if (!entry.pattern.isEmpty()) {
        out.add(',');
        appendKey(out, "pattern");
        appendString(out, entry.pattern);
    }
    if (entry.smallestSize) {
        out.add(",\"smallestSize\":");
        out.addNumber(*entry.smallestSize);
        out.add(",\"size\":");
        if (entry.size)
            out.addNumber(*entry.size);
        else
            out.add("null");
    }
    out.add('}');
}

// One JSON object: the watch list's path, the check's time and every examined entry with its state.
void writeJson(const CheckReport& report, ReportWriter& out)
{
    out.add('{');
    appendKey(out, "watchList");
    appendString(out, report.watchList);
    out.add(',');
    appendKey(out, "checkedAt");
    appendMoment(out, report.checkedAt);
    out.add(",\"entries\":[");
    for (qsizetype i = 0; i < report.entries.size(); ++i) {
        if (i > 0)
            out.add(',');
        appendEntry(out, report.entries[i]);
        out.pieceDone();
    }
    out.add("]}\n");
}

// Prometheus

// A label value with backslash, double quote and line feed escaped as the format requires.
void addLabelValue(ReportWriter& out, const QString& value)
{
    const auto special = [](auto c) { return c == '\\' || c == '"' || c == '\n'; };
    out.addEscaped(value, special, [](ReportWriter& to, char c) {
        to.add('\\');
        to.add(c == '\n' ? 'n' : c);
    });
}

// Seconds since the epoch with the milliseconds a file time may have, in the digits and decimal
// point of no locale.
void addSeconds(ReportWriter& out, qint64 msecs)
{
    const qint64 whole = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    const qint64 fraction = msecs - whole * 1000;
    out.addNumber(whole);
    if (fraction == 0)
        return;
    const char digits[] = {'.', char('0' + fraction / 100), char('0' + fraction / 10 % 10), char('0' + fraction % 10)};
    out.add(QByteArrayView(digits, sizeof digits));
}

// What the samples share: every metric's name starts with the product's name, and each entry's
// label is written once, to be copied into each of its samples.
struct Exposition
{
    const CheckReport& report;
    QByteArray prefix;
    QByteArray labels;
    QList<qsizetype> labelEnds;
    QHash<qint64, qint64> midnights; // EntryReport::due() by its day: the entries share few of them
    ReportWriter& out;
};

QByteArrayView label(const Exposition& e, qsizetype i)
{
    const qsizetype from = i == 0 ? 0 : e.labelEnds[i - 1];
    return QByteArrayView(e.labels.constData() + from, e.labelEnds[i] - from);
}

void prepare(Exposition& e)
{
    e.prefix = AppInfo::productName().toLower().toUtf8() + '_';
    ReportWriter labels(e.report.entries.size() * 48);
    e.labelEnds.reserve(e.report.entries.size());
    for (const EntryReport& entry : e.report.entries) {
        labels.add("entry=\"");
        labels.addNumber(entry.number);
        labels.add("\",description=\"");
        addLabelValue(labels, entry.description);
        labels.add('"');
        e.labelEnds.append(labels.size());
    }
    e.labels = labels.take();
}

void name(Exposition& e, const char* suffix)
{
    e.out.add(e.prefix);
    e.out.add(QByteArrayView(suffix));
}

void header(Exposition& e, const char* suffix, const char* help)
{
    e.out.add("# HELP ");
    name(e, suffix);
    e.out.add(' ');
    e.out.add(QByteArrayView(help));
    e.out.add("\n# TYPE ");
    name(e, suffix);
    e.out.add(" gauge\n");
}

// A metric of the check itself: one sample, without labels.
void checkSample(Exposition& e, const char* suffix, const char* help, const QByteArray& value)
{
    header(e, suffix, help);
    name(e, suffix);
    e.out.add(' ');
    e.out.add(value);
    e.out.add('\n');
}

// All samples of one metric together under its HELP and TYPE lines, as the format wants them: one
// for each entry that is not removed and for which `value` writes one (it says whether it wrote).
template <typename Value> void family(Exposition& e, const char* suffix, const char* help, Value value)
{
    header(e, suffix, help);
    // The sample's name and the "{" that opens its labels, the same for all entries.
    const QByteArray opening = e.prefix + suffix + '{';
    for (qsizetype i = 0; i < e.report.entries.size(); ++i) {
        const EntryReport& entry = e.report.entries[i];
        if (entry.state == State::Removed)
            continue;
        const qsizetype start = e.out.size();
        e.out.add(opening);
        e.out.add(label(e, i));
        e.out.add("} ");
        if (value(e.out, entry))
            e.out.add('\n');
        else
            e.out.truncate(start);
        e.out.pieceDone();
    }
}

void states(Exposition& e)
{
    const char* const suffix = "entry_state";
    header(e, suffix, "1 for the entry's current state, 0 for each other state.");
    const QByteArray opening = e.prefix + suffix + '{';
    // What follows the entry's label on each of its lines, up to the value.
    QList<QByteArray> tails;
    for (const State each : EntryReport::states())
        tails.append(",state=\"" + QByteArray(EntryReport::stateName(each).data()) + "\"} ");
    const QList<State>& all = EntryReport::states();
    for (qsizetype i = 0; i < e.report.entries.size(); ++i) {
        const EntryReport& entry = e.report.entries[i];
        if (entry.state == State::Removed)
            continue;
        const QByteArrayView labelText = label(e, i);
        for (qsizetype s = 0; s < all.size(); ++s) {
            e.out.add(opening);
            e.out.add(labelText);
            e.out.add(tails[s]);
            e.out.add(all[s] == entry.state ? '1' : '0');
            e.out.add('\n');
        }
        e.out.pieceDone();
    }
}

qint64 dueMSecs(Exposition& e, const EntryReport& entry)
{
    const qint64 day = entry.modified->date().toJulianDay() + entry.days;
    auto it = e.midnights.constFind(day);
    if (it == e.midnights.constEnd())
        it = e.midnights.insert(day, entry.due()->toMSecsSinceEpoch());
    return *it;
}

// The Prometheus text exposition format, for node_exporter's textfile collector: per entry its
// state, when its file changed, when it will count as old and whether it is old, changed or
// missing, plus when the check ran and how long it took. Removed entries are left out.
void writePrometheus(const CheckReport& report, ReportWriter& out)
{
    Exposition f{report, {}, {}, {}, {}, out};
    prepare(f);
    states(f);
    family(f, "entry_modified_timestamp_seconds", "When the entry's file last changed, in seconds since the epoch.",
           [](ReportWriter& out, const EntryReport& e) {
               if (e.modified)
                   addSeconds(out, e.modified->toMSecsSinceEpoch());
               return e.modified.has_value();
           });
    family(f, "entry_due_timestamp_seconds",
           "From when the entry counts as old (local midnight), in seconds since the epoch.",
           [&f](ReportWriter& out, const EntryReport& e) {
               if (e.modified)
                   addSeconds(out, dueMSecs(f, e));
               return e.modified.has_value();
           });
    family(f, "entry_size_bytes", "The size of the entry's file, in bytes.",
           [](ReportWriter& out, const EntryReport& e) {
               if (e.size)
                   out.addNumber(*e.size);
               return e.size.has_value();
           });
    const auto flag = [](State state) {
        return [state](ReportWriter& out, const EntryReport& e) {
            out.add(e.state == state ? '1' : '0');
            return true;
        };
    };
    family(f, "entry_stale", "1 when the entry is old.", flag(State::Old));
    family(f, "entry_changed", "1 when the entry's file changed since it was last seen.", flag(State::Changed));
    family(f, "entry_missing", "1 when the entry's file no longer exists.", flag(State::Missing));
    family(f, "entry_unreachable", "1 when the entry's file could not be asked about.", flag(State::Unreachable));

    checkSample(f, "check_timestamp_seconds", "When the check ran, in seconds since the epoch.",
                QByteArray::number(report.checkedAt.toSecsSinceEpoch()));
    checkSample(f, "check_duration_seconds", "How long the check of the watch list took.",
                QByteArray::number(report.durationSeconds, 'f', 6));
}

} // namespace

std::optional<Format> fromName(QStringView name)
{
    for (const Named& named : kFormats) {
        if (name == QLatin1String(named.name))
            return named.format;
    }
    return std::nullopt;
}

QStringList names()
{
    QStringList out;
    for (const Named& named : kFormats)
        out.append(QLatin1String(named.name));
    return out;
}

QByteArray render(Format format, const CheckReport& report)
{
    QByteArray out;
    write(format, report, [&out](QByteArrayView piece) {
        out += piece;
        return true;
    });
    return out;
}

bool write(Format format, const CheckReport& report, const ReportWriter::Sink& sink, qsizetype piece)
{
    ReportWriter out(sink, piece);
    switch (format) {
    case Format::Json:
        writeJson(report, out);
        break;
    case Format::Nagios:
        writeNagios(report, out);
        break;
    case Format::Prometheus:
        writePrometheus(report, out);
        break;
    case Format::Text:
        addLines(report, out, [&out](const QString& line) { out.addUtf8(line); });
        break;
    }
    return out.finish();
}

QByteArray nagiosUnknown(const QString& message)
{
    return nagiosPrefix(CheckReport::Status::Unknown) + nagiosPlain(message) + '\n';
}

} // namespace ReportFormat
