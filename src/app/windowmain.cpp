#include "app/Application.h"
#include "app/WindowModule.h"
#include "base/AppInfo.h"
#include "mainwindow/frmfiledsip.h"

#include <QIcon>
#include <exception>
#include <type_traits>

// The program has set the application's names and read the command line before it loads this
// module; everything else of the window's run is here.
extern "C" Q_DECL_EXPORT int staleguard_window_main(int argc, char** argv)
{
    static_assert(std::is_same_v<decltype(&staleguard_window_main), WindowModule::Entry>);
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
