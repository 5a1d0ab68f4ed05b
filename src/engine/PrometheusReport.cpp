#include "engine/PrometheusReport.h"

#include "engine/AppInfo.h"
#include "engine/CheckReport.h"

#include <functional>
#include <optional>

namespace PrometheusReport {

namespace {

using Sample = std::function<std::optional<qint64>(const EntryReport&)>;

// Every metric's name starts with the product's name.
QByteArray metric(const char* name)
{
    return AppInfo::productName().toLower().toUtf8() + '_' + name;
}

// All samples of one metric together under its HELP and TYPE lines, as the format wants them.
void family(QByteArray& out, const QList<QByteArray>& labels, const CheckReport& report, const char* suffix,
            const char* help, const Sample& sample)
{
    const QByteArray name = metric(suffix);
    out += QByteArray("# HELP ") + name + ' ' + help + '\n';
    out += QByteArray("# TYPE ") + name + " gauge\n";
    for (qsizetype i = 0; i < report.entries.size(); ++i) {
        const EntryReport& entry = report.entries[i];
        if (entry.state == EntryReport::State::Removed)
            continue;
        if (const auto value = sample(entry))
            out += name + labels[i] + ' ' + QByteArray::number(*value) + '\n';
    }
}

qint64 flag(bool set)
{
    return set ? 1 : 0;
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
        labels.append("{entry=\"" + QByteArray::number(entry.number) + "\",description=\"" +
                      escapeLabel(entry.description) + "\"}");
    }
    using State = EntryReport::State;
    QByteArray out;
    family(out, labels, report, "entry_age_days", "Midnights since the entry's file last changed.",
           [](const EntryReport& e) { return e.age ? std::optional<qint64>(*e.age) : std::nullopt; });
    family(out, labels, report, "entry_threshold_days", "Age in days from which the entry is old.",
           [](const EntryReport& e) { return std::optional<qint64>(e.days); });
    family(out, labels, report, "entry_stale", "1 when the entry is old.",
           [](const EntryReport& e) { return std::optional<qint64>(flag(e.state == State::Old)); });
    family(out, labels, report, "entry_changed", "1 when the entry's file changed since it was last seen.",
           [](const EntryReport& e) { return std::optional<qint64>(flag(e.state == State::Changed)); });
    family(out, labels, report, "entry_missing", "1 when the entry's file no longer exists.",
           [](const EntryReport& e) { return std::optional<qint64>(flag(e.state == State::Missing)); });
    family(out, labels, report, "entry_unreachable", "1 when the entry's file could not be asked about.",
           [](const EntryReport& e) { return std::optional<qint64>(flag(e.state == State::Unreachable)); });
    const QByteArray timestamp = metric("check_timestamp_seconds");
    out += "# HELP " + timestamp + " When the check ran, in seconds since the epoch.\n";
    out += "# TYPE " + timestamp + " gauge\n";
    out += timestamp + ' ' + QByteArray::number(report.checkedAt.toSecsSinceEpoch()) + '\n';
    return out;
}

} // namespace PrometheusReport
