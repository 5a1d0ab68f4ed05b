#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QLatin1String>
#include <QStringView>
#include <QTime>
#include <cstring>
#include <functional>

// A report's bytes put together in one buffer by plain copies. The reports of a long watch list
// run to megabytes in many small pieces, and QByteArray's own appends cost many times a copy each.
// Given a sink, it hands the bytes on in pieces instead of holding them all: memory touched for
// the first time costs more than rendering into it, and a piece stays in the cache.
class ReportWriter
{
public:
    // Takes the next piece; false when it could not be written.
    using Sink = std::function<bool(QByteArrayView)>;
    static constexpr qsizetype kPiece = 64 * 1024;

    explicit ReportWriter(qsizetype expected = 0);
    ReportWriter(Sink sink, qsizetype piece = kPiece);
    // Never shared: the bytes are written through a pointer of its own.
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    void add(char c)
    {
        if (m_size == m_room)
            grow(1);
        m_data[m_size++] = c;
    }
    void add(QByteArrayView bytes)
    {
        if (!bytes.isEmpty())
            std::memcpy(claim(bytes.size()), bytes.data(), size_t(bytes.size()));
    }
    // A literal's length is known here, so its copy needs no call.
    template <qsizetype N> void add(const char (&literal)[N]) { std::memcpy(claim(N - 1), literal, N - 1); }
    void add(QLatin1String text) { add(QByteArrayView(text.data(), text.size())); }
    // In decimal, as QByteArray::number() writes it.
    void addNumber(qint64 number);
    // The text in UTF-8, as QString::toUtf8() gives it.
    void addUtf8(QStringView text);
    // The leading characters of the text that `plain` takes, which must all be ASCII, copied as
    // they are; returns how many. What follows them starts a character of its own.
    template <typename Plain> qsizetype addAsciiWhile(QStringView text, Plain plain)
    {
        char* to = claim(text.size());
        const char16_t* chars = text.utf16();
        // Most texts are taken whole, which two loops without an early way out find and copy wide.
        bool whole = true;
        for (qsizetype i = 0; i < text.size(); ++i)
            whole &= plain(chars[i]);
        if (whole) {
            for (qsizetype i = 0; i < text.size(); ++i)
                to[i] = char(chars[i]);
            return text.size();
        }
        qsizetype i = 0;
        for (; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (!plain(c))
                break;
            to[i] = char(c);
        }
        m_size -= text.size() - i;
        return i;
    }
    // The text in UTF-8, with every ASCII character that `special` takes written by `escape` instead.
    // `special` is asked about UTF-16 units and about the bytes as unsigned values.
    template <typename Special, typename Escape> void addEscaped(QStringView text, Special special, Escape escape)
    {
        // Most texts are ASCII that needs no escape, which goes across in one loop.
        const qsizetype done = addAsciiWhile(text, [special](char16_t c) { return c < 0x80 && !special(c); });
        const qsizetype from = m_size;
        addUtf8(text.sliced(done));
        // Escaped in place only when something needs it, which a path or a description seldom does.
        const QByteArrayView utf8(m_data + from, m_size - from);
        qsizetype plain = 0;
        while (plain < utf8.size() && !special(uchar(utf8[plain])))
            ++plain;
        if (plain < utf8.size())
            escapeFrom(from + plain, special, escape);
    }
    // ISO 8601 to the second with the offset, never "Z": 2026-06-15T08:30:00+02:00.
    void addMoment(QDate date, QTime time, int offsetSeconds);
    qsizetype size() const { return m_size; }
    // Forgets what was written after the first `size` bytes.
    void truncate(qsizetype size) { m_size = size; }

    QByteArray take();

    // Where a renderer may let a piece go: nothing written before it is looked at again.
    void pieceDone()
    {
        if (m_sink && m_size >= m_piece)
            handOn();
    }
    // Hands on what is left; true when the sink took every piece.
    bool finish();

private:
    // Writes the bytes from `at` on again, escaped; kept out of line, as it is seldom needed.
    template <typename Special, typename Escape>
    Q_NEVER_INLINE void escapeFrom(qsizetype at, Special special, Escape escape)
    {
        const QByteArray rest(m_data + at, m_size - at);
        m_size = at;
        for (const char c : rest) {
            if (special(uchar(c)))
                escape(*this, c);
            else
                add(c);
        }
    }
    // Room for `more` bytes; returns where they go and counts them as written.
    char* claim(qsizetype more)
    {
        if (m_size + more > m_room)
            grow(more);
        char* at = m_data + m_size;
        m_size += more;
        return at;
    }
    void grow(qsizetype more);
    void handOn();

    QByteArray m_out; // its size is the room; m_size the part written
    // Its bytes and size, kept here: asking the array for them each time costs a check for sharing.
    char* m_data = nullptr;
    qsizetype m_room = 0;
    qsizetype m_size = 0;
    Sink m_sink;
    qsizetype m_piece = 0;
    // Once a piece is refused the rest is dropped: the output is lost, and only the end says so.
    bool m_refused = false;
};
