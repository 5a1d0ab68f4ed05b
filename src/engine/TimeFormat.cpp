#include "engine/TimeFormat.h"

#include <algorithm>

TimeFormat::TimeFormat(const QString& format, const QLocale& locale) : m_format(format), m_locale(locale)
{
    m_plain = compile();
}

bool TimeFormat::compile()
{
    // Other digits, or a sign of their own, would need the locale's number forms.
    if (m_locale.zeroDigit() != QLatin1String("0"))
        return false;
    const QString& f = m_format;
    bool twelveHours = false;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f[i];
        qsizetype run = 1;
        while (i + run < f.size() && f[i + run] == c)
            ++run;
        if (!c.isLetter() && c != QLatin1Char('\'')) {
            // Everything but letters and quotes stands for itself.
            if (m_pieces.isEmpty() || m_pieces.back().field != Field::Text)
                m_pieces.append(Piece{});
            m_pieces.back().text += f.mid(i, run);
            i += run;
            continue;
        }
        Piece piece;
        if ((c == QLatin1Char('h') || c == QLatin1Char('H') || c == QLatin1Char('m') || c == QLatin1Char('s')) &&
            run <= 2) {
            piece.field = c == QLatin1Char('h')   ? Field::Hour12
                          : c == QLatin1Char('H') ? Field::Hour24
                          : c == QLatin1Char('m') ? Field::Minute
                                                  : Field::Second;
            piece.padded = run == 2;
        } else if ((c == QLatin1Char('A') || c == QLatin1Char('a')) && run == 1) {
            const bool upper = c == QLatin1Char('A');
            // "AP" and "ap" are one field, as "A" and "a" are; any other mix is left to the locale.
            if (i + 1 < f.size() && f[i + 1].isLetter()) {
                if (f[i + 1] != QLatin1Char(upper ? 'P' : 'p') || (i + 2 < f.size() && f[i + 2].isLetter()))
                    return false;
                run = 2;
            }
            if (twelveHours)
                return false; // one AM/PM field is all the plain forms have
            twelveHours = true;
            piece.field = Field::AmPm;
            m_am = upper ? m_locale.amText().toUpper() : m_locale.amText().toLower();
            m_pm = upper ? m_locale.pmText().toUpper() : m_locale.pmText().toLower();
        } else {
            // Quotes, milliseconds, zones and letters of no field.
            return false;
        }
        m_pieces.append(piece);
        i += run;
    }
    // "h" counts the hours from 0 to 23 unless the format shows AM or PM.
    for (Piece& piece : m_pieces) {
        if (piece.field == Field::Hour12 && !twelveHours)
            piece.field = Field::Hour24;
    }
    return true;
}

template <typename Put> bool TimeFormat::eachPiece(const QTime& time, Put put) const
{
    const auto number = [&put](int value, bool padded) {
        char16_t digits[2];
        qsizetype size = 0;
        if (padded || value >= 10)
            digits[size++] = char16_t(u'0' + value / 10);
        digits[size++] = char16_t(u'0' + value % 10);
        return put(QStringView(digits, size));
    };
    for (const Piece& piece : m_pieces) {
        bool more = true;
        switch (piece.field) {
        case Field::Text:
            more = put(piece.text);
            break;
        case Field::Hour24:
            more = number(time.hour(), piece.padded);
            break;
        case Field::Hour12:
            more = number(time.hour() % 12 == 0 ? 12 : time.hour() % 12, piece.padded);
            break;
        case Field::Minute:
            more = number(time.minute(), piece.padded);
            break;
        case Field::Second:
            more = number(time.second(), piece.padded);
            break;
        case Field::AmPm:
            more = put(time.hour() < 12 ? m_am : m_pm);
            break;
        }
        if (!more)
            return false;
    }
    return true;
}

QString TimeFormat::render(const QTime& time) const
{
    if (!m_plain || !time.isValid())
        return m_locale.toString(time, m_format);
    QString out;
    out.reserve(m_format.size() + 8);
    eachPiece(time, [&out](QStringView piece) {
        out += piece;
        return true;
    });
    return out;
}

bool TimeFormat::renders(QStringView text, const QTime& time) const
{
    if (!m_plain || !time.isValid())
        return text == render(time);
    qsizetype at = 0;
    const bool same = eachPiece(time, [&](QStringView piece) {
        // Compared in line: the pieces are a few characters each, shorter than a call is worth.
        if (text.size() - at < piece.size() || !std::equal(piece.begin(), piece.end(), text.begin() + at))
            return false;
        at += piece.size();
        return true;
    });
    return same && at == text.size();
}
