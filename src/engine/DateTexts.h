#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// Every date the program shows or stores is turned into text here, in the system locale.
namespace DateTexts {

// The short date, always with a four-digit year, as "Postponedate" stores it.
QString shortDate(const QDate& date);
// Short date plus long time, as "last date changed" stores and compares it.
QString generalDate(const QDateTime& moment);
// The same for a local date and time already taken apart.
QString generalDate(const QDate& date, const QTime& time);
// Whether `text` is generalDate(date, time).
bool isGeneralDate(QStringView text, const QDate& date, const QTime& time);
// The long date, as captions, the editor's info line and the reports show it.
QString longDate(const QDate& date);
// Reads "Postponedate" leniently: the written form, the locale's own short form with two-digit
// years taken as 20xx, and ISO yyyy-MM-dd. A text that reads as no date gives nullopt.
std::optional<QDate> parseShortDate(const QString& text);
// Reads a general date back: the written form, then the locale's other forms, then ISO. The result
// is a local date and time, unless the text itself names its zone or offset. nullopt when no form reads.
std::optional<QDateTime> parseGeneralDate(const QString& text);
// Midnights between `then` and `now` in local time (negative when `then` lies ahead), clamped to 16 bits.
qint16 ageInDays(const QDateTime& then, const QDateTime& now);
qint16 ageInDays(const QDate& then, const QDate& today);

// The locale every text above uses: the system's, unless a test has put another one in place
// (the system locale cannot be changed inside a running process).
QLocale locale();
void setLocaleForTesting(const QLocale& locale);
void resetLocaleForTesting();

} // namespace DateTexts
