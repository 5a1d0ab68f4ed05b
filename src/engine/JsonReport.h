#pragma once

#include <QByteArray>

struct CheckReport;

// One JSON object: the watch list's path, the check's time and every examined entry with its state.
namespace JsonReport {

QByteArray render(const CheckReport& report);

} // namespace JsonReport
