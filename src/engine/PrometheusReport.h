#pragma once

#include <QByteArray>
#include <QString>

struct CheckReport;

// The Prometheus text exposition format, for node_exporter's textfile collector: per entry its
// age, its threshold and whether it is old, changed or missing, plus the time of the check.
// Removed entries are left out.
namespace PrometheusReport {

QByteArray render(const CheckReport& report);
// A label value with backslash, double quote and line feed escaped as the format requires.
QByteArray escapeLabel(const QString& value);

} // namespace PrometheusReport
