#pragma once

#include <QByteArray>

struct CheckReport;

// The rows as the main list shows them, one a line, then a line for each missing file.
namespace TextReport {

QByteArray render(const CheckReport& report);

} // namespace TextReport
