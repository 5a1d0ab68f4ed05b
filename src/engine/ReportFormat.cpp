#include "engine/ReportFormat.h"

#include "engine/JsonReport.h"
#include "engine/NagiosReport.h"
#include "engine/PrometheusReport.h"
#include "engine/TextReport.h"

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
    switch (format) {
    case Format::Json:
        return JsonReport::render(report);
    case Format::Nagios:
        return NagiosReport::render(report);
    case Format::Prometheus:
        return PrometheusReport::render(report);
    case Format::Text:
        break;
    }
    return TextReport::render(report);
}

bool write(Format format, const CheckReport& report, const ReportWriter::Sink& sink, qsizetype piece)
{
    if (format == Format::Json || format == Format::Prometheus) {
        ReportWriter out(sink, piece);
        if (format == Format::Json)
            JsonReport::write(report, out);
        else
            PrometheusReport::write(report, out);
        return out.finish();
    }
    // A status line and the rows that need attention: small, and put together whole.
    const QByteArray whole = render(format, report);
    return whole.isEmpty() || sink(whole);
}

} // namespace ReportFormat
