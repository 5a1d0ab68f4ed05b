#include "core/AppInfo.h"
#include "core/Application.h"
#include "core/frmfiledsip.h"

#include <exception>

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    Application::setApplicationName(AppInfo::productName());
    Application::setOrganizationName(AppInfo::companyName());
    Application::setApplicationVersion(AppInfo::versionText());
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
