#pragma once

class ReportWriter;
struct CheckReport;

// The Prometheus text exposition format, for node_exporter's textfile collector: per entry its
// state, when its file changed, when it will count as old and whether it is old, changed or
// missing, plus when the check ran and how long it took. Removed entries are left out.
namespace PrometheusReport {

void write(const CheckReport& report, ReportWriter& out);

} // namespace PrometheusReport
