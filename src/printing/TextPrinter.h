#pragma once

#include <QString>

// A page-oriented text printer: lines go out one below the other in the device's own font face,
// of which only the size and the weight are chosen. A new page starts by itself when the next
// line has no room left on the current one.
class TextPrinter
{
public:
    // The number every printing failure carries in its AppError.
    static constexpr int PrinterFault = 482;

    virtual ~TextPrinter() = default;

    virtual void setFontSize(int points) = 0;
    virtual void setBold(bool bold) = 0;
    // One line; an empty text gives an empty line and a TAB moves on to the next tab stop.
    virtual void printLine(const QString& text) = 0;
    // Ends the document and hands the job to the printer. Nothing may be printed afterwards.
    virtual void endDoc() = 0;
};
