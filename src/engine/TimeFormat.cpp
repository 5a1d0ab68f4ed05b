#include "engine/TimeFormat.h"

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

QString TimeFormat::render(const QTime& time) const
{
    if (!m_plain || !time.isValid())
        return m_locale.toString(time, m_format);
    QString out;
    out.reserve(m_format.size() + 8);
    const auto number = [&out](int value, bool padded) {
        if (padded || value >= 10)
            out += QLatin1Char(char('0' + value / 10));
        out += QLatin1Char(char('0' + value % 10));
    };
    for (const Piece& piece : m_pieces) {
        switch (piece.field) {
        case Field::Text:
            out += piece.text;
            break;
        case Field::Hour24:
            number(time.hour(), piece.padded);
            break;
        case Field::Hour12:
            number(time.hour() % 12 == 0 ? 12 : time.hour() % 12, piece.padded);
            break;
        case Field::Minute:
            number(time.minute(), piece.padded);
            break;
        case Field::Second:
            number(time.second(), piece.padded);
            break;
        case Field::AmPm:
            out += time.hour() < 12 ? m_am : m_pm;
            break;
        }
    }
    return out;
}
