#include "engine/PrometheusReport.h"

#include "base/AppInfo.h"
#include "engine/CheckReport.h"

#include <functional>
#include <optional>

namespace PrometheusReport {

namespace {

// A sample's value, already in the format's number form; none leaves the entry out of the family.
using Sample = std::function<std::optional<QByteArray>(const EntryReport&)>;

// Every metric's name starts with the product's name.
QByteArray metric(const char* name)
{
    return AppInfo::productName().toLower().toUtf8() + '_' + name;
}

void header(QByteArray& out, const QByteArray& name, const char* help)
{
    out += "# HELP " + name + ' ' + help + '\n';
    out += "# TYPE " + name + " gauge\n";
}

// All samples of one metric together under its HELP and TYPE lines, as the format wants them.
void family(QByteArray& out, const QList<QByteArray>& labels, const CheckReport& report, const char* suffix,
            const char* help, const Sample& sample)
{
    const QByteArray name = metric(suffix);
    header(out, name, help);
    for (qsizetype i = 0; i < report.entries.size(); ++i) {
        const EntryReport& entry = report.entries[i];
        if (entry.state == EntryReport::State::Removed)
            continue;
        if (const auto value = sample(entry))
            out += name + '{' + labels[i] + "} " + *value + '\n';
    }
}

QByteArray flag(bool set)
{
    return set ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

// Seconds since the epoch with the milliseconds a file time may have; QByteArray::number never
// takes the locale's digits or decimal comma.
QByteArray seconds(const QDateTime& moment)
{
    const qint64 msecs = moment.toMSecsSinceEpoch();
    const qint64 whole = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    const qint64 fraction = msecs - whole * 1000;
    if (fraction == 0)
        return QByteArray::number(whole);
    return QByteArray::number(whole) + '.' + QByteArray::number(fraction).rightJustified(3, '0');
}

std::optional<QByteArray> seconds(const std::optional<QDateTime>& moment)
{
    return moment ? std::optional<QByteArray>(seconds(*moment)) : std::nullopt;
}

} // namespace

QByteArray escapeLabel(const QString& value)
{
    QByteArray out;
    const QByteArray utf8 = value.toUtf8();
    out.reserve(utf8.size());
    for (const char c : utf8) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

QByteArray render(const CheckReport& report)
{
    QList<QByteArray> labels;
    labels.reserve(report.entries.size());
    for (const EntryReport& entry : report.entries) {
        labels.append("entry=\"" + QByteArray::number(entry.number) + "\",description=\"" +
                      escapeLabel(entry.description) + '"');
    }
    using State = EntryReport::State;
    QByteArray out;

    const QByteArray state = metric("entry_state");
    header(out, state, "1 for the entry's current state, 0 for each other state.");
    for (qsizetype i = 0; i < report.entries.size(); ++i) {
        const EntryReport& entry = report.entries[i];
        if (entry.state == State::Removed)
            continue;
        for (const State each : EntryReport::states()) {
            out += state + '{' + labels[i] + ",state=\"" + EntryReport::stateName(each).data() + "\"} " +
                   flag(each == entry.state) + '\n';
        }
    }
    family(out, labels, report, "entry_modified_timestamp_seconds",
           "When the entry's file last changed, in seconds since the epoch.",
           [](const EntryReport& e) { return seconds(e.modified); });
    family(out, labels, report, "entry_due_timestamp_seconds",
           "From when the entry counts as old (local midnight), in seconds since the epoch.",
           [](const EntryReport& e) { return seconds(e.due()); });
    family(out, labels, report, "entry_size_bytes", "The size of the entry's file, in bytes.",
           [](const EntryReport& e) {
               return e.size ? std::optional<QByteArray>(QByteArray::number(*e.size)) : std::nullopt;
           });
    family(out, labels, report, "entry_stale", "1 when the entry is old.",
           [](const EntryReport& e) { return flag(e.state == State::Old); });
    family(out, labels, report, "entry_changed", "1 when the entry's file changed since it was last seen.",
           [](const EntryReport& e) { return flag(e.state == State::Changed); });
    family(out, labels, report, "entry_missing", "1 when the entry's file no longer exists.",
           [](const EntryReport& e) { return flag(e.state == State::Missing); });
    family(out, labels, report, "entry_unreachable", "1 when the entry's file could not be asked about.",
           [](const EntryReport& e) { return flag(e.state == State::Unreachable); });

    const QByteArray timestamp = metric("check_timestamp_seconds");
    header(out, timestamp, "When the check ran, in seconds since the epoch.");
    out += timestamp + ' ' + QByteArray::number(report.checkedAt.toSecsSinceEpoch()) + '\n';
    const QByteArray duration = metric("check_duration_seconds");
    header(out, duration, "How long the check of the watch list took.");
    out += duration + ' ' + QByteArray::number(report.durationSeconds, 'f', 6) + '\n';
    return out;
}

} // namespace PrometheusReport
