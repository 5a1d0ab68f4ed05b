#pragma once

#include <QString>
#include <functional>
#include <memory>

class QListWidget;
class QWidget;
class TextPrinter;

// The File > Print commands. Each prints its report to the printer the factory opens (the
// system's default printer unless a test put another in place) and tells the user in a warning
// when there is no printer or the printer fails; a failure never ends the program.
class PrintCommands
{
public:
    using PrinterFactory = std::function<std::unique_ptr<TextPrinter>()>;

    // "Print old files": the rows of the main list as they stand. False when nothing was printed.
    static bool printOldFiles(QWidget* parent, const QListWidget* list);
    // "Print all my files": every active entry of the watch list file.
    static bool printAllFiles(QWidget* parent, const QString& inifilename);

    // An empty factory brings back the system's default printer.
    static void setPrinterFactory(PrinterFactory factory) { s_factory = std::move(factory); }

private:
    static inline PrinterFactory s_factory;
    static bool run(QWidget* parent, const std::function<void(TextPrinter&)>& report);
};
