#include "app/Application.h"
#include "base/AppInfo.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleRun.h"
#include "mainwindow/frmfiledsip.h"

#include <QCoreApplication>
#include <exception>

int main(int argc, char* argv[])
{
    // The names also place the per-user data folder, which a check looks in as the window does.
    QCoreApplication::setApplicationName(AppInfo::productName());
    QCoreApplication::setOrganizationName(AppInfo::companyName());
    QCoreApplication::setApplicationVersion(AppInfo::versionText());

    // Decided before any application object exists: only the window may start the window system,
    // so a check runs where there is no display at all.
    const CommandLine commandLine = CommandLine::parse(CommandLine::argumentsOf(argc, argv));
    if (commandLine.action() != CommandLine::Action::Window) {
        QCoreApplication app(argc, argv);
        return ConsoleRun::exec(commandLine);
    }

    Application app(argc, argv);
    Application::setDesktopFileName(AppInfo::appId());
    Application::setWindowIcon(QIcon(QStringLiteral(":/staleguard.svg")));
    // The program ends only through its Exit command, never because its last window was hidden
    // in the tray or a secondary window closed.
    Application::setQuitOnLastWindowClosed(false);

    frmfiledsip window;
    try {
        if (!window.Form_Load())
            return 0;
        window.showAtStart();
    } catch (const std::exception& error) {
        return Application::fail(error);
    }
    return Application::exec();
}
