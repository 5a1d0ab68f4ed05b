#include "engine/NagiosReport.h"

#include "engine/AppInfo.h"
#include "engine/CheckReport.h"

namespace NagiosReport {

namespace {

// A "|" anywhere in the output starts performance data, so none may come from the user's texts.
QByteArray plain(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('|'), QChar(0x00A6));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out.toUtf8();
}

QByteArray prefix(CheckReport::Status status)
{
    return AppInfo::productName().toUpper().toUtf8() + ' ' + CheckReport::statusName(status).data() + " - ";
}

QByteArray perfValue(const char* label, int value)
{
    return QByteArray(label) + '=' + QByteArray::number(value) + ";;;0";
}

} // namespace

QByteArray render(const CheckReport& report)
{
    const int old = report.count(EntryReport::State::Old);
    const int changed = report.count(EntryReport::State::Changed);
    const int missing = report.count(EntryReport::State::Missing);
    const int unreachable = report.count(EntryReport::State::Unreachable);
    QByteArray out = prefix(report.status());
    out += QByteArray::number(old) + " old, " + QByteArray::number(changed) + " changed, " +
           QByteArray::number(missing) + " missing, " + QByteArray::number(unreachable) + " unreachable | ";
    out += perfValue("old", old) + ' ' + perfValue("changed", changed) + ' ' + perfValue("missing", missing) + ' ' +
           perfValue("unreachable", unreachable) + ' ' + perfValue("entries", int(report.entries.size())) + '\n';
    for (const QString& row : report.rows)
        out += plain(row) + '\n';
    for (const QString& line : report.missingLines())
        out += plain(line) + '\n';
    for (const QString& line : report.unreachableLines())
        out += plain(line) + '\n';
    return out;
}

QByteArray unknown(const QString& message)
{
    return prefix(CheckReport::Status::Unknown) + plain(message) + '\n';
}

} // namespace NagiosReport
