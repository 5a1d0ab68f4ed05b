#include "printing/ReportPrinter.h"

#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/WatchListFile.h"
#include "printing/TextPrinter.h"
#include "store/IniFile.h"

namespace {

QString entryValue(const QString& inifilename, int number, const QString& key)
{
    return IniFile::instance().ReadString(WatchListFile::sectionName(qint16(number)), key, inifilename, QString());
}

} // namespace

QString ReportPrinter::oldFilesTitle()
{
    return QStringLiteral("List of all your old files");
}

QString ReportPrinter::allFilesTitle()
{
    return QStringLiteral("List of all of your files");
}

void ReportPrinter::printHead(TextPrinter& printer, const QString& title)
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

void ReportPrinter::printOldFiles(TextPrinter& printer, const QStringList& rows)
{
    printHead(printer, oldFilesTitle());
    for (const QString& row : rows)
        printer.printLine(row);
    printer.endDoc();
}

void ReportPrinter::printAllFiles(TextPrinter& printer, const QString& inifilename)
{
    printHead(printer, allFilesTitle());
    for (int number = 0; number <= WatchListFile::kLastEntryNumber; ++number) {
        if (!printEntry(printer, inifilename, number))
            break;
    }
    printer.endDoc();
}

bool ReportPrinter::printEntry(TextPrinter& printer, const QString& inifilename, int number)
{
    const QString notactive = entryValue(inifilename, number, QStringLiteral("Notactive"));
    const QString filename = entryValue(inifilename, number, QStringLiteral("filename"));
    if (filename.isEmpty())
        return false;
    if (WatchListFile::isLoweredTrue(notactive))
        return true;
    const QString description = entryValue(inifilename, number, QStringLiteral("description"));
    printer.printLine(QStringLiteral("File:") + QString::number(number));
    printer.printLine(QStringLiteral("File Description:\t ") + description);
    printer.printLine(QStringLiteral("File Name:\t\t ") + filename);
    printer.printLine(QString());
    const QString days = entryValue(inifilename, number, QStringLiteral("days"));
    printer.printLine(QStringLiteral("Advise if ") + days + QStringLiteral(" days old "));
    // Only an entry that has them prints these lines, so that a list without them prints as it always has.
    const QString pattern = entryValue(inifilename, number, QStringLiteral("file pattern"));
    if (!pattern.isEmpty())
        printer.printLine(QStringLiteral("Only files matching ") + pattern);
    const QString smallest = entryValue(inifilename, number, QStringLiteral("smallest size"));
    if (!smallest.isEmpty())
        printer.printLine(QStringLiteral("Remind me if smaller than ") + smallest);
    if (WatchListFile::isLoweredTrue(entryValue(inifilename, number, QStringLiteral("advisechanges"))))
        printer.printLine(QStringLiteral("Tell me if the file changes"));
    printer.printLine(QString(95, QLatin1Char('=')));
    printer.printLine(QString());
    return true;
}
