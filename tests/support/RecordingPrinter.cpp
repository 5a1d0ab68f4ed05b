#include "RecordingPrinter.h"

#include "base/AppError.h"

void RecordingPrinter::setFontSize(int points)
{
    calls.append(QStringLiteral("size %1").arg(points));
}

void RecordingPrinter::setBold(bool bold)
{
    calls.append(bold ? QStringLiteral("bold on") : QStringLiteral("bold off"));
}

void RecordingPrinter::printLine(const QString& text)
{
    if (lines++ == failAtLine)
        throw AppError(PrinterFault, QStringLiteral("RecordingPrinter"), QStringLiteral("Paper jam."));
    calls.append(QStringLiteral("line ") + text);
}

void RecordingPrinter::endDoc()
{
    if (failAtEnd)
        throw AppError(PrinterFault, QStringLiteral("RecordingPrinter"), QStringLiteral("Out of toner."));
    ended = true;
    calls.append(QStringLiteral("end"));
}
