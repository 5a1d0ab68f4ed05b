#include "printing/TextLineLayout.h"

#include <QStringList>
#include <cmath>
#include <utility>

TextLineLayout::TextLineLayout(Advance advance, qreal pageWidth, qreal tabWidth)
    : m_advance(std::move(advance)), m_pageWidth(pageWidth), m_tabWidth(tabWidth > 0 ? tabWidth : 1)
{}

QList<TextLineLayout::Row> TextLineLayout::layout(const QString& text) const
{
    QList<Row> rows(1);
    qreal x = 0;
    const QStringList segments = text.split(QLatin1Char('\t'));
    for (int i = 0; i < segments.size(); ++i) {
        if (i > 0) {
            x = (std::floor(x / m_tabWidth) + 1) * m_tabWidth;
            if (x >= m_pageWidth) {
                rows.append(Row());
                x = 0;
            }
        }
        place(rows, x, segments.at(i));
    }
    return rows;
}

void TextLineLayout::place(QList<Row>& rows, qreal& x, QString text) const
{
    // A rule drawn with one character runs to the edge of the page; wrapping it would print a
    // second, shorter rule below.
    const bool rule = isRule(text);
    while (!text.isEmpty()) {
        const int length = fittingLength(text, m_pageWidth - x, x > 0 && !rule);
        if (rule && length > 0)
            text.truncate(length);
        if (length == 0) {
            rows.append(Row());
            x = 0;
            continue;
        }
        const QString piece = text.left(length);
        rows.last().append(Piece{x, piece});
        x += m_advance(piece);
        text.remove(0, length);
        if (text.isEmpty())
            break;
        // What is left goes on the next row, without the blanks it was broken at.
        int blanks = 0;
        while (blanks < text.size() && text.at(blanks) == QLatin1Char(' '))
            ++blanks;
        text.remove(0, blanks);
        if (text.isEmpty())
            break;
        rows.append(Row());
        x = 0;
    }
}

// How many characters of `text` go on the row: all if they fit, else up to the last blank that
// fits. A word that does not fit moves to a fresh row; on a fresh row it is cut at the edge.
// Zero means "start a new row first".
int TextLineLayout::fittingLength(const QString& text, qreal room, bool rowStarted) const
{
    if (m_advance(text) <= room)
        return int(text.size());
    int low = 0;
    int high = int(text.size());
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (m_advance(text.left(mid)) <= room)
            low = mid;
        else
            high = mid - 1;
    }
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low;
    const int blank = low > 0 ? int(text.lastIndexOf(QLatin1Char(' '), low - 1)) : -1;
    if (blank > 0)
        return blank + 1;
    if (rowStarted)
        return 0;
    if (low > 0)
        return low;
    // Not even one character fits: print it anyway rather than loop for ever.
    return text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
}

bool TextLineLayout::isRule(const QString& text)
{
    if (text.size() < 3 || text.at(0).isLetterOrNumber() || text.at(0).isSpace())
        return false;
    return text.count(text.at(0)) == text.size();
}
