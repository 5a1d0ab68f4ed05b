#include "engine/SizeText.h"

#include "engine/LeadingNumber.h"

#include <cmath>

namespace SizeText {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The power of 1024 a unit letter stands for; 0 for none.
int unitPower(QChar c)
{
    switch (c.toUpper().unicode()) {
    case 'K':
        return 1;
    case 'M':
        return 2;
    case 'G':
        return 3;
    default:
        return 0;
    }
}

} // namespace

std::optional<qint64> bytes(QStringView text)
{
    const qsizetype end = LeadingNumber::end(text);
    if (end < 0)
        return std::nullopt;
    double value = LeadingNumber::toDouble(text.left(end));
    qsizetype i = end;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size())
        value *= std::pow(1024.0, unitPower(text[i]));
    value = std::floor(value);
    if (!(value >= 1))
        return std::nullopt;
    // Past this a double no longer converts to a qint64; no file is that large anyway.
    constexpr double kLargest = 9.0e18;
    return value >= kLargest ? qint64(kLargest) : qint64(value);
}

bool isWellFormed(QStringView text)
{
    if (text.trimmed().isEmpty())
        return true;
    const qsizetype end = LeadingNumber::end(text);
    if (end < 0)
        return false;
    QStringView rest = text.mid(end).trimmed();
    if (!rest.isEmpty() && unitPower(rest.front()) > 0)
        rest = rest.mid(1);
    if (rest.compare(QLatin1String("B"), Qt::CaseInsensitive) == 0)
        rest = {};
    return rest.isEmpty();
}

QString format(qint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    static const char* const kUnits[] = {" K", " M", " G"};
    int power = 0;
    qint64 unit = 1024;
    while (power < 2 && bytes / unit >= 1024) {
        unit *= 1024;
        ++power;
    }
    const qint64 whole = bytes / unit;
    if (whole >= 10)
        return QString::number(whole) + QLatin1String(kUnits[power]);
    const qint64 tenths = (bytes % unit) * 10 / unit;
    return QString::number(whole) + (tenths ? QLatin1Char('.') + QString::number(tenths) : QString()) +
           QLatin1String(kUnits[power]);
}

} // namespace SizeText
