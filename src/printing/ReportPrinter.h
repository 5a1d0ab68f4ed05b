#pragma once

#include <QString>
#include <QStringList>

class TextPrinter;
class WatchEntry;

// The two printed reports, line by line: the shared page head, then the rows of the main list
// ("Print old files") or one block per active entry of the watch list file ("Print all my files").
// Both end the document, which hands the job to the printer.
class ReportPrinter
{
public:
    static void printOldFiles(TextPrinter& printer, const QStringList& rows);
    static void printAllFiles(TextPrinter& printer, const QString& inifilename);

private:
    static void printHead(TextPrinter& printer, const QString& title);
    // A removed entry prints nothing.
    static void printEntry(TextPrinter& printer, const WatchEntry& entry);
};
