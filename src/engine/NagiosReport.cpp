#include "engine/NagiosReport.h"

#include "base/AppInfo.h"
#include "engine/CheckReport.h"

namespace NagiosReport {

namespace {

// A "|" anywhere in the output starts performance data, so none may come from the user's texts.
QByteArray plain(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('|'), QChar(0x00A6));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out.toUtf8();
}

QByteArray prefix(CheckReport::Status status)
{
    return AppInfo::productName().toUpper().toUtf8() + ' ' + CheckReport::statusName(status).data() + " - ";
}

// label=value;warn;crit;min;max. A threshold of 0 alerts on any count above none, which is
// where the status itself turns WARNING or CRITICAL.
QByteArray perfCount(QLatin1String label, int value, const char* warn, const char* crit, qsizetype max)
{
    return QByteArray(label.data(), label.size()) + '=' + QByteArray::number(value) + ';' + warn + ';' + crit + ";0;" +
           QByteArray::number(max);
}

} // namespace

QByteArray render(const CheckReport& report)
{
    using State = EntryReport::State;
    const qsizetype total = report.entries.size();
    // The problems first and "ok" last, so that a narrow screen cut at 80 columns still shows them;
    // a state no entry is in is left out here but still counted in the performance data.
    QList<State> order;
    for (const State state : EntryReport::states()) {
        if (state != State::Ok)
            order.append(state);
    }
    order.append(State::Ok);
    QByteArrayList summary;
    QByteArrayList perfdata;
    for (const State state : order) {
        const int n = report.count(state);
        const QLatin1String name = EntryReport::stateName(state);
        if (n > 0)
            summary.append(QByteArray::number(n) + ' ' + QByteArray(name.data(), name.size()));
        const char* warn = state == State::Changed ? "0" : "";
        const char* crit = state == State::Old || state == State::Missing || state == State::Small ? "0" : "";
        perfdata.append(perfCount(name, n, warn, crit, total));
    }
    perfdata.append("entries=" + QByteArray::number(total) + ";;;0");
    // QByteArray::number never uses the locale's digits or decimal comma.
    perfdata.append("duration=" + QByteArray::number(report.durationSeconds, 'f', 6) + "s;;;0");

    QByteArray out = prefix(report.status());
    out += summary.isEmpty() ? QByteArray("no entries") : summary.join(", ");
    out += " | " + perfdata.join(' ') + '\n';
    for (const QString& row : report.rows)
        out += plain(row) + '\n';
    for (const QString& line : report.missingLines())
        out += plain(line) + '\n';
    for (const QString& line : report.unreachableLines())
        out += plain(line) + '\n';
    return out;
}

QByteArray unknown(const QString& message)
{
    return prefix(CheckReport::Status::Unknown) + plain(message) + '\n';
}

} // namespace NagiosReport
