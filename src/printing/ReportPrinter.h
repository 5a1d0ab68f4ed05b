#pragma once

#include <QString>
#include <QStringList>

class TextPrinter;

// The two printed reports, line by line: the shared page head, then the rows of the main list
// ("Print old files") or one block per active entry of the watch list file ("Print all my files").
// Both end the document, which hands the job to the printer.
class ReportPrinter
{
public:
    static void printOldFiles(TextPrinter& printer, const QStringList& rows);
    static void printAllFiles(TextPrinter& printer, const QString& inifilename);
};
