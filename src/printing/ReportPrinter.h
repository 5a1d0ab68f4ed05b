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
    static QString oldFilesTitle();
    static QString allFilesTitle();

    static void printOldFiles(TextPrinter& printer, const QStringList& rows);
    static void printAllFiles(TextPrinter& printer, const QString& inifilename);

private:
    static void printHead(TextPrinter& printer, const QString& title);
    // False at the first entry without a file name, where the walk ends.
    static bool printEntry(TextPrinter& printer, const QString& inifilename, int number);
};
