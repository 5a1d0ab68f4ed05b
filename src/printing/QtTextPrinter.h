#pragma once

#include "printing/TextPrinter.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <memory>

class QPrinter;

// The text printer over QPrinter and QPainter. Lines that are wider than the page wrap at a blank
// (or, for one long word such as a path, at the edge) rather than being cut off; see TextLineLayout.
// Every failure raises AppError with the number TextPrinter::PrinterFault.
class QtTextPrinter : public TextPrinter
{
public:
    // The system's default printer, without a dialog; the job carries `documentName`.
    static std::unique_ptr<QtTextPrinter> toDefaultPrinter(const QString& documentName);
    // A PDF file, laid out as `layout` when that is valid (else the printer's default paper).
    static std::unique_ptr<QtTextPrinter> toPdfFile(const QString& path, const QString& documentName,
                                                    const QPageLayout& layout = QPageLayout());

    // A job that was not ended is abandoned.
    ~QtTextPrinter() override;

    void setFontSize(int points) override;
    void setBold(bool bold) override;
    void printLine(const QString& text) override;
    void endDoc() override;

    // Pages begun so far.
    int pageCount() const { return m_pages; }

private:
    explicit QtTextPrinter(std::unique_ptr<QPrinter> printer);
    void applyFont();
    void newPage();
    void checkState(const QString& doing) const;
    [[noreturn]] void fail(const QString& description) const;
    QString printerLabel() const;

    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    QFont m_font;
    qreal m_pageWidth = 0;
    qreal m_pageHeight = 0;
    qreal m_y = 0;
    int m_pages = 0;
    bool m_ended = false;
};
