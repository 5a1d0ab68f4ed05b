#pragma once

class ReportWriter;
struct CheckReport;

// One JSON object: the watch list's path, the check's time and every examined entry with its state.
namespace JsonReport {

void write(const CheckReport& report, ReportWriter& out);

} // namespace JsonReport
