#pragma once

#include <QByteArray>
#include <QString>

class ReportWriter;
struct CheckReport;

// The Prometheus text exposition format, for node_exporter's textfile collector: per entry its
// state, when its file changed, when it will count as old and whether it is old, changed or
// missing, plus when the check ran and how long it took. Removed entries are left out.
namespace PrometheusReport {

QByteArray render(const CheckReport& report);
void write(const CheckReport& report, ReportWriter& out);
// A label value with backslash, double quote and line feed escaped as the format requires.
QByteArray escapeLabel(const QString& value);

} // namespace PrometheusReport
