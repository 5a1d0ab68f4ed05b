#include "engine/TextReport.h"

#include "engine/CheckReport.h"

namespace TextReport {

QByteArray render(const CheckReport& report)
{
    QByteArray out;
    for (const QString& row : report.rows)
        out += row.toUtf8() + '\n';
    for (const QString& line : report.missingLines())
        out += line.toUtf8() + '\n';
    for (const QString& line : report.unreachableLines())
        out += line.toUtf8() + '\n';
    return out;
}

} // namespace TextReport
