#include "printing/ReportPrinter.h"

#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/WatchList.h"
#include "printing/TextPrinter.h"
#include "store/IniFile.h"

namespace {

void printHead(TextPrinter& printer, const QString& title)
{
    printer.setFontSize(32);
    printer.setBold(true);
    printer.printLine(QString());
    printer.printLine(title);
    printer.setFontSize(16);
    printer.printLine(DateTexts::longDate(Clock::today()));
    printer.printLine(QString());
    printer.setFontSize(14);
    printer.setBold(false);
}

// A removed entry prints nothing.
void printEntry(TextPrinter& printer, const WatchEntry& entry)
{
    if (entry.isRemoved())
        return;
    printer.printLine(QStringLiteral("File:") + QString::number(entry.number));
    printer.printLine(QStringLiteral("File Description:\t ") + entry.description());
    printer.printLine(QStringLiteral("File Name:\t\t ") + entry.fileName());
    printer.printLine(QString());
    printer.printLine(QStringLiteral("Advise if ") + entry.days() + QStringLiteral(" days old "));
    // Only an entry that has them prints these lines, so that a list without them prints as it always has.
    if (!entry.pattern().isEmpty())
        printer.printLine(QStringLiteral("Only files matching ") + entry.pattern());
    if (!entry.smallestSize().isEmpty())
        printer.printLine(QStringLiteral("Remind me if smaller than ") + entry.smallestSize());
    if (entry.hasJob())
        printer.printLine(QStringLiteral("Job:\t\t\t ") + entry.job().trimmed());
    if (entry.reportReportsChanges())
        printer.printLine(QStringLiteral("Tell me if the file changes"));
    printer.printLine(QString(95, QLatin1Char('=')));
    printer.printLine(QString());
}

} // namespace

void ReportPrinter::printOldFiles(TextPrinter& printer, const QStringList& rows)
{
    printHead(printer, QStringLiteral("List of all your old files"));
    for (const QString& row : rows)
        printer.printLine(row);
    printer.endDoc();
}

void ReportPrinter::printAllFiles(TextPrinter& printer, const QString& inifilename)
{
    printHead(printer, QStringLiteral("List of all of your files"));
    for (const WatchEntry& entry : WatchList::read(IniFile::instance(), inifilename).entries)
        printEntry(printer, entry);
    printer.endDoc();
}
