#include "printing/QtTextPrinter.h"

#include "base/AppError.h"
#include "printing/TextLineLayout.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

const QString errorSource = QStringLiteral("QtTextPrinter");

// Tab stops every fourteen average characters of the current font, the print zones of a line
// printer; the reports' TAB-separated labels line up on them.
constexpr int tabColumns = 14;

} // namespace

std::unique_ptr<QtTextPrinter> QtTextPrinter::toDefaultPrinter(const QString& documentName)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw AppError(PrinterFault, errorSource,
                       QStringLiteral("No default printer is set up. Add a printer in the system's printer "
                                      "settings, make it the default printer and try again."));
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setDocName(documentName);
    return std::unique_ptr<QtTextPrinter>(new QtTextPrinter(std::move(printer)));
}

std::unique_ptr<QtTextPrinter> QtTextPrinter::toPdfFile(const QString& path, const QString& documentName,
                                                        const QPageLayout& layout)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setDocName(documentName);
    if (layout.isValid())
        printer->setPageLayout(layout);
    return std::unique_ptr<QtTextPrinter>(new QtTextPrinter(std::move(printer)));
}

QtTextPrinter::QtTextPrinter(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer))
{
    if (!m_printer->isValid() || !m_painter.begin(m_printer.get()))
        fail(QStringLiteral("The printer %1 could not be opened.").arg(printerLabel()));
    const QRectF page = m_printer->pageRect(QPrinter::DevicePixel);
    m_pageWidth = page.width();
    m_pageHeight = page.height();
    // The face stays the device's own; only size and weight change.
    m_font = m_painter.font();
    m_pages = 1;
}

QtTextPrinter::~QtTextPrinter()
{
    if (m_painter.isActive()) {
        m_printer->abort();
        m_painter.end();
    }
}

void QtTextPrinter::setFontSize(int points)
{
    if (points > 0)
        m_font.setPointSize(points);
    applyFont();
}

void QtTextPrinter::setBold(bool bold)
{
    m_font.setBold(bold);
    applyFont();
}

void QtTextPrinter::applyFont()
{
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

void QtTextPrinter::printLine(const QString& text)
{
    if (m_ended)
        fail(QStringLiteral("Nothing can be printed after the end of the document."));
    const QFontMetricsF fm(m_painter.font(), m_printer.get());
    const TextLineLayout layout([&fm](const QString& s) { return fm.horizontalAdvance(s); }, m_pageWidth,
                                tabColumns * fm.averageCharWidth());
    for (const TextLineLayout::Row& row : layout.layout(text)) {
        if (m_y > 0 && m_y + fm.height() > m_pageHeight)
            newPage();
        for (const TextLineLayout::Piece& piece : row)
            m_painter.drawText(QPointF(piece.x, m_y + fm.ascent()), piece.text);
        m_y += fm.lineSpacing();
    }
    checkState(QStringLiteral("while printing"));
}

void QtTextPrinter::newPage()
{
    if (!m_printer->newPage())
        fail(QStringLiteral("The printer %1 could not start a new page.").arg(printerLabel()));
    ++m_pages;
    m_y = 0;
}

void QtTextPrinter::endDoc()
{
    if (m_ended)
        return;
    m_ended = true;
    if (!m_painter.end())
        fail(QStringLiteral("The printer %1 could not finish the document.").arg(printerLabel()));
    checkState(QStringLiteral("at the end of the document"));
}

void QtTextPrinter::checkState(const QString& doing) const
{
    if (m_printer->printerState() == QPrinter::Error)
        fail(QStringLiteral("The printer %1 reported an error %2.").arg(printerLabel(), doing));
}

void QtTextPrinter::fail(const QString& description) const
{
    throw AppError(PrinterFault, errorSource, description);
}

QString QtTextPrinter::printerLabel() const
{
    const QString name =
        m_printer->outputFormat() == QPrinter::PdfFormat ? m_printer->outputFileName() : m_printer->printerName();
    return QStringLiteral("\"%1\"").arg(name);
}
