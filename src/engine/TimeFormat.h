#pragma once

#include <QLocale>
#include <QString>
#include <QTime>
#include <QVector>

// A time format of a locale, read once, that renders times exactly as QLocale::toString(time,
// format) does. The plain forms the locales use (hours, minutes, seconds, AM/PM and what stands
// between them, in Latin digits) are put together here without the locale's general formatter,
// which costs as much as the rest of a watch list's check; any other form goes through the locale.
class TimeFormat
{
public:
    TimeFormat() = default;
    TimeFormat(const QString& format, const QLocale& locale);

    QString render(const QTime& time) const;
    // Whether `text` is what render(time) gives, told without building it.
    bool renders(QStringView text, const QTime& time) const;

private:
    enum class Field : quint8
    {
        Text, // `text`, as it stands
        Hour24,
        Hour12,
        Minute,
        Second,
        AmPm
    };
    struct Piece
    {
        Field field = Field::Text;
        bool padded = false;
        QString text;
    };

    bool compile();
    // Hands each piece of a plain form's text for `time` to `put`, in order, until it answers false.
    template <typename Put> bool eachPiece(const QTime& time, Put put) const;

    QString m_format;
    QLocale m_locale;
    bool m_plain = false; // the pieces below say it all
    QVector<Piece> m_pieces;
    QString m_am; // as the format writes them, in its letter case
    QString m_pm;
};
