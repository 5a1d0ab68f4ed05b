#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// "smallest size": a number of bytes, or a number followed by K, M or G (powers of 1024). The
// number is read as "days" is, leading blanks skipped and the longest leading decimal number
// taken, but not cut to 16 bits, so "100000" stays 100000 bytes.
namespace SizeText {

// The size in bytes; nullopt for no size test (empty, no number, 0 or less). A size beyond
// what a file can have is clamped to the largest one.
std::optional<qint64> bytes(QStringView text);
// Whether the text is one the editor may store: empty, or a number with an optional unit and
// nothing else.
bool isWellFormed(QStringView text);
// "0 bytes", "1 byte", "512 bytes", "1.5 K", "12 K", "3 M": the largest unit that leaves at
// least one, with one decimal below ten, rounded down so that it never shows more than there is.
QString format(qint64 bytes);

} // namespace SizeText
