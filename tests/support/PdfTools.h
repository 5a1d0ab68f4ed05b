#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

// Reads printed PDF files back with Debian's poppler-utils (pdfinfo, pdftotext, pdftoppm).
namespace PdfTools {

struct Word
{
    int page = 0; // from 0
    QRectF box;   // in points, origin at the top left of the page
    QString text;
};

struct Page
{
    QSizeF size;
    QList<Word> words;
};

// -1 when the file cannot be read as a PDF.
int pageCount(const QString& pdf);
// The text as laid out on the pages, which are separated by form feeds; ligatures taken apart.
QString text(const QString& pdf);
// Every word with its place, ligatures taken apart; empty when the file cannot be read.
QList<Page> words(const QString& pdf);
// Renders one page (from 1) to a PNG file; true on success.
bool renderPage(const QString& pdf, int page, const QString& png);

} // namespace PdfTools
