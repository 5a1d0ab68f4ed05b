#include "engine/DateTexts.h"

#include <QRegularExpression>
#include <limits>

namespace DateTexts {

namespace {

// Drops the time zone from a time format: a stored "last date changed" must not read as changed
// because the zone's name or the program's environment differs from the one that wrote it.
QString withoutTimeZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out.append(c);
    }
    return out.simplified();
}

struct Formats
{
    QLocale locale;
    QString ownShort;  // the locale's short date form, perhaps with a two-digit year
    QString shortDate; // the same with a four-digit year
    QString longTime;
    bool twoDigitYear = false;
    // The forms a general date may have been written in, the one this program writes first.
    QStringList generalForms;
};

Formats formatsFor(const QLocale& locale)
{
    Formats f;
    f.locale = locale;
    f.ownShort = locale.dateFormat(QLocale::ShortFormat);
    thread_local const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    f.twoDigitYear = f.ownShort.contains(twoDigitYear);
    f.shortDate = f.ownShort;
    f.shortDate.replace(twoDigitYear, QStringLiteral("yyyy"));
    f.longTime = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    f.generalForms = {f.shortDate + QLatin1Char(' ') + f.longTime};
    const QStringList dates{f.shortDate, f.ownShort, locale.dateFormat(QLocale::LongFormat),
                            locale.dateFormat(QLocale::NarrowFormat)};
    const QStringList times{f.longTime, locale.timeFormat(QLocale::LongFormat), locale.timeFormat(QLocale::ShortFormat),
                            locale.timeFormat(QLocale::NarrowFormat)};
    for (const QString& date : dates) {
        for (const QString& time : times) {
            // A form without seconds cannot tell whether a file changed within the minute.
            const QString form = date + QLatin1Char(' ') + time;
            if (time.contains(QLatin1Char('s')) && !f.generalForms.contains(form))
                f.generalForms.append(form);
        }
    }
    return f;
}

std::optional<QLocale> g_testLocale; // constant-initialized, so there before any other static asks

// Asking the locale for its formats is slow next to the check of one entry, so they are kept, one
// copy per thread: a check that runs on a thread of its own fills its own cache.
Formats& formats()
{
    thread_local Formats cached = formatsFor(QLocale::system());
    const QLocale wanted = locale();
    if (cached.locale != wanted)
        cached = formatsFor(wanted);
    return cached;
}

} // namespace

QLocale locale()
{
    return g_testLocale ? *g_testLocale : QLocale::system();
}

void setLocaleForTesting(const QLocale& locale)
{
    g_testLocale = locale;
}

void resetLocaleForTesting()
{
    g_testLocale.reset();
}

QString shortDate(const QDate& date)
{
    const Formats& f = formats();
    return f.locale.toString(date, f.shortDate);
}

QString generalDate(const QDateTime& moment)
{
    const QDateTime local = moment.toLocalTime();
    return generalDate(local.date(), local.time());
}

QString generalDate(const QDate& date, const QTime& time)
{
    const Formats& f = formats();
    return f.locale.toString(date, f.shortDate) + QLatin1Char(' ') + f.locale.toString(time, f.longTime);
}

bool isGeneralDate(QStringView text, const QDate& date, const QTime& time)
{
    return text == generalDate(date, time);
}

QString longDate(const QDate& date)
{
    return locale().toString(date, QLocale::LongFormat);
}

std::optional<QDate> parseShortDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const Formats& f = formats();
    if (f.twoDigitYear) {
        // Tried first: the four-digit form would take "1/8/27" as the year 27.
        const QDate own = f.locale.toDate(trimmed, f.ownShort);
        if (own.isValid())
            return own.year() < 2000 ? own.addYears(100) : own;
    }
    const QDate written = f.locale.toDate(trimmed, f.shortDate);
    if (written.isValid())
        return written;
    const QDate iso = QDate::fromString(trimmed, Qt::ISODate);
    if (iso.isValid())
        return iso;
    return std::nullopt;
}

std::optional<QDateTime> parseGeneralDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const Formats& f = formats();
    for (const QString& form : f.generalForms) {
        QDateTime read = f.locale.toDateTime(trimmed, form);
        if (!read.isValid())
            continue;
        // A two-digit year is read into the 1900s; the program's dates lie in this century.
        if (read.date().year() < 2000 && !form.contains(QLatin1String("yyyy")))
            read = read.addYears(100);
        return read;
    }
    // Qt reads a blank between date and time as ISO 8601 allows, as well as a "T".
    const QDateTime iso = QDateTime::fromString(trimmed, Qt::ISODate);
    if (iso.isValid())
        return iso;
    return std::nullopt;
}

qint16 ageInDays(const QDateTime& then, const QDateTime& now)
{
    return ageInDays(then.toLocalTime().date(), now.toLocalTime().date());
}

qint16 ageInDays(const QDate& then, const QDate& today)
{
    const qint64 days = then.daysTo(today);
    return qint16(qBound(qint64(std::numeric_limits<qint16>::min()), days, qint64(std::numeric_limits<qint16>::max())));
}

} // namespace DateTexts
