#pragma once

#include <QString>

// How a text such as "days" is read as a number everywhere in the program: leading blanks are
// skipped, the longest leading decimal number (sign, digits, optional fraction) is taken, a text
// without one gives 0, and the result is rounded to the nearest whole number, halves to even, then
// clamped to the 16-bit range so that an out-of-range value never fails.
namespace LeadingNumber {

double toDouble(QStringView text);
// Where the leading number ends in the text; -1 when it has none.
qsizetype end(QStringView text);
qint16 toInt16(QStringView text);
qint16 clampToInt16(double value);

} // namespace LeadingNumber
