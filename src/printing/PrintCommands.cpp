#include "printing/PrintCommands.h"

#include "base/AppError.h"
#include "base/AppInfo.h"
#include "controls/BusyCursor.h"
#include "controls/Prompter.h"
#include "printing/QtTextPrinter.h"
#include "printing/ReportPrinter.h"

#include <QListWidget>

bool PrintCommands::printOldFiles(QWidget* parent, const QListWidget* list)
{
    QStringList rows;
    for (int i = 0; list && i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return run(parent, [&rows](TextPrinter& printer) { ReportPrinter::printOldFiles(printer, rows); });
}

bool PrintCommands::printAllFiles(QWidget* parent, const QString& inifilename)
{
    return run(parent, [&inifilename](TextPrinter& printer) { ReportPrinter::printAllFiles(printer, inifilename); });
}

bool PrintCommands::run(QWidget* parent, const std::function<void(TextPrinter&)>& report)
{
    QString problem;
    {
        const BusyCursor busy;
        try {
            std::unique_ptr<TextPrinter> printer =
                s_factory ? s_factory() : QtTextPrinter::toDefaultPrinter(AppInfo::productName());
            if (!printer)
                throw AppError(TextPrinter::PrinterFault, QStringLiteral("PrintCommands"),
                               QStringLiteral("No printer could be opened."));
            report(*printer);
            return true;
        } catch (const AppError& error) {
            problem = error.description();
        }
    }
    Prompter::notify(parent, QStringLiteral("The list could not be printed.\n\n") + problem, Prompter::Icon::Warning);
    return false;
}
