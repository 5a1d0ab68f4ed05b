#pragma once

#include <QByteArray>
#include <QString>

struct CheckReport;

// The monitoring plugins' convention: one status line with performance data, then the rows and
// the missing files as long output.
namespace NagiosReport {

QByteArray render(const CheckReport& report);
// The status line for a check that could not run.
QByteArray unknown(const QString& message);

} // namespace NagiosReport
