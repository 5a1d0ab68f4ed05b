#include "engine/ReportWriter.h"

#include <charconv>
#include <cstdio>

ReportWriter::ReportWriter(qsizetype expected)
{
    m_out.resize(qMax<qsizetype>(expected, 64));
    m_data = m_out.data();
    m_room = m_out.size();
}

ReportWriter::ReportWriter(Sink sink, qsizetype piece) : ReportWriter(2 * qMax<qsizetype>(piece, 1))
{
    m_sink = std::move(sink);
    m_piece = qMax<qsizetype>(piece, 1);
}

void ReportWriter::handOn()
{
    if (!m_refused && m_size > 0)
        m_refused = !m_sink(QByteArrayView(m_data, m_size));
    m_size = 0;
}

bool ReportWriter::finish()
{
    if (m_sink)
        handOn();
    return !m_refused;
}

void ReportWriter::grow(qsizetype more)
{
    m_out.resize(qMax(m_size + more, m_room * 2));
    m_data = m_out.data();
    m_room = m_out.size();
}

void ReportWriter::addNumber(qint64 number)
{
    // Written in place: room for the longest, and what is left over given back.
    constexpr qsizetype kLongest = 20;
    char* to = claim(kLongest);
    const auto end = std::to_chars(to, to + kLongest, number).ptr;
    m_size -= kLongest - (end - to);
}

void ReportWriter::addUtf8(QStringView text)
{
    const qsizetype at = m_size;
    char* to = claim(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80) {
            // Anything beyond ASCII goes through Qt's own encoder, lone surrogates and all.
            m_size = at;
            add(text.toUtf8());
            return;
        }
        to[i] = char(c);
    }
}

void ReportWriter::addMoment(QDate date, QTime time, int offsetSeconds)
{
    const int year = date.year();
    const int minutes = (offsetSeconds < 0 ? -offsetSeconds : offsetSeconds) / 60;
    if (year < 0 || year > 9999 || minutes / 60 > 99) {
        // Beyond four digits the numbers take the widths printf gives them.
        char text[64];
        const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", year, date.month(),
                                    date.day(), time.hour(), time.minute(), time.second(),
                                    offsetSeconds < 0 ? '-' : '+', minutes / 60, minutes % 60);
        add(QByteArrayView(text, n));
        return;
    }
    char* to = claim(25);
    const auto two = [](char* at, int value) {
        at[0] = char('0' + value / 10);
        at[1] = char('0' + value % 10);
    };
    two(to, year / 100);
    two(to + 2, year % 100);
    to[4] = '-';
    two(to + 5, date.month());
    to[7] = '-';
    two(to + 8, date.day());
    to[10] = 'T';
    two(to + 11, time.hour());
    to[13] = ':';
    two(to + 14, time.minute());
    to[16] = ':';
    two(to + 17, time.second());
    to[19] = offsetSeconds < 0 ? '-' : '+';
    two(to + 20, minutes / 60);
    to[22] = ':';
    two(to + 23, minutes % 60);
}

QByteArray ReportWriter::take()
{
    m_out.resize(m_size);
    m_data = nullptr;
    m_room = 0;
    m_size = 0;
    return std::move(m_out);
}
