#include "engine/LeadingNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace LeadingNumber {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The digits of the leading number, with the sign taken off; "" when the text has none.
std::string leadingDigits(QStringView text, bool& negative, qsizetype* end = nullptr)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    std::string digits;
    bool any = false;
    while (i < n && isDigit(text[i])) {
        digits.push_back(static_cast<char>(text[i].unicode()));
        any = true;
        ++i;
    }
    if (i + 1 < n && text[i] == QLatin1Char('.') && isDigit(text[i + 1])) {
        digits.push_back('.');
        for (++i; i < n && isDigit(text[i]); ++i)
            digits.push_back(static_cast<char>(text[i].unicode()));
        any = true;
    }
    if (end)
        *end = any ? i : -1;
    return any ? digits : std::string();
}

bool hasNonZeroWholePart(const std::string& digits)
{
    for (char c : digits) {
        if (c == '.')
            return false;
        if (c != '0')
            return true;
    }
    return false;
}

} // namespace

qsizetype end(QStringView text)
{
    bool negative = false;
    qsizetype at = -1;
    leadingDigits(text, negative, &at);
    return at;
}

double toDouble(QStringView text)
{
    bool negative = false;
    std::string digits = leadingDigits(text, negative);
    if (digits.empty())
        return 0.0;
    if (digits.front() == '.')
        digits.insert(digits.begin(), '0');
    double value = 0.0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
    if (res.ec == std::errc::result_out_of_range)
        value = hasNonZeroWholePart(digits) ? std::numeric_limits<double>::infinity() : 0.0;
    else if (res.ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

qint16 clampToInt16(double value)
{
    if (std::isnan(value))
        return 0;
    // The default rounding mode takes halves to the even neighbour.
    const double rounded = std::nearbyint(value);
    if (rounded >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (rounded <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return static_cast<qint16>(rounded);
}

qint16 toInt16(QStringView text)
{
    // A few bare digits, as nearly every stored count is, read the same without the general route.
    if (!text.isEmpty() && text.size() <= 4) {
        int value = 0;
        for (const QChar c : text) {
            if (!isDigit(c))
                return clampToInt16(toDouble(text));
            value = value * 10 + (c.unicode() - u'0');
        }
        return qint16(value);
    }
    return clampToInt16(toDouble(text));
}

} // namespace LeadingNumber
