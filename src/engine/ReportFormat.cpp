#include "engine/ReportFormat.h"

#include "base/AppInfo.h"
#include "engine/CheckReport.h"
#include "engine/JsonReport.h"
#include "engine/PrometheusReport.h"

namespace ReportFormat {

namespace {

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
    using State = EntryReport::State;
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
        JsonReport::write(report, out);
        break;
    case Format::Nagios:
        writeNagios(report, out);
        break;
    case Format::Prometheus:
        PrometheusReport::write(report, out);
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
