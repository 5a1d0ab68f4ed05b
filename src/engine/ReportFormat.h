#pragma once

#include <QByteArray>
#include <QStringList>
#include <QStringView>
#include <optional>

struct CheckReport;

// The output formats of the command line's check, each rendered as UTF-8 in one piece, so that a
// caller writes all of it or nothing.
namespace ReportFormat {

enum class Format
{
    Text,
    Json,
    Nagios,
    Prometheus
};

std::optional<Format> fromName(QStringView name);
QStringList names();
QByteArray render(Format format, const CheckReport& report);

} // namespace ReportFormat
