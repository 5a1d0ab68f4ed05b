#pragma once

#include <QList>
#include <QString>
#include <functional>

// Places one printed line on a page of limited width: a TAB moves on to the next tab stop, and
// text that runs past the right edge wraps onto a following row, at a blank where there is one.
// A rule (one mark repeated, such as "=====") is cut at the edge instead.
class TextLineLayout
{
public:
    struct Piece
    {
        qreal x = 0;
        QString text;
        bool operator==(const Piece& o) const { return x == o.x && text == o.text; }
    };
    using Row = QList<Piece>;
    // The width a text takes in the current font.
    using Advance = std::function<qreal(const QString&)>;

    TextLineLayout(Advance advance, qreal pageWidth, qreal tabWidth);

    // At least one row; an empty text gives one empty row.
    QList<Row> layout(const QString& text) const;

private:
    void place(QList<Row>& rows, qreal& x, QString text) const;
    int fittingLength(const QString& text, qreal room, bool rowStarted) const;
    static bool isRule(const QString& text);

    Advance m_advance;
    qreal m_pageWidth;
    qreal m_tabWidth;
};
