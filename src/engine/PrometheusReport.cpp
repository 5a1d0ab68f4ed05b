#include "engine/PrometheusReport.h"

#include "base/AppInfo.h"
#include "engine/CheckReport.h"
#include "engine/ReportWriter.h"

#include <QHash>

namespace PrometheusReport {

namespace {

using State = EntryReport::State;

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

} // namespace

void write(const CheckReport& report, ReportWriter& out)
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

} // namespace PrometheusReport
