#include "app/WindowModule.h"
#include "base/AppInfo.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <cstdio>
#include <iterator>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// The folder of the program file itself, before any application object exists to say it.
QString programFolder(const char* argv0)
{
#if defined(Q_OS_LINUX)
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!self.isEmpty())
        return QFileInfo(self).absolutePath();
#elif defined(Q_OS_WIN)
    wchar_t self[32768];
    const DWORD length = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    if (length > 0 && length < std::size(self))
        return QFileInfo(QString::fromWCharArray(self, int(length))).absolutePath();
#endif
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
}

// Loads the window's module, beside the program in a build tree or in its library folder once
// installed, and runs the window from it.
int runWindow(int argc, char** argv)
{
    const QString folder = programFolder(argv[0]) + QLatin1Char('/');
    QStringList tried;
    for (const char* name : {STALEGUARD_WINDOW_MODULE, STALEGUARD_WINDOW_MODULE_INSTALLED}) {
        const QString path = folder + QLatin1String(name);
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: the window's objects live until the process ends.
        QLibrary module(path);
        const auto entry = reinterpret_cast<WindowModule::Entry>(module.resolve(WindowModule::kEntryName));
        if (entry)
            return entry(argc, argv);
        tried.append(module.errorString());
    }
    if (tried.isEmpty())
        tried.append(QStringLiteral("%1 is not installed beside it").arg(QLatin1String(STALEGUARD_WINDOW_MODULE)));
    std::fprintf(stderr, "%s\n",
                 qPrintable(AppInfo::productName() + QStringLiteral(": the window cannot start: ") +
                            tried.join(QStringLiteral("; "))));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // The names also place the per-user data folder, which a check looks in as the window does.
    QCoreApplication::setApplicationName(AppInfo::productName());
    QCoreApplication::setOrganizationName(AppInfo::companyName());
    QCoreApplication::setApplicationVersion(AppInfo::versionText());

    // Decided before any application object exists: only the window may start the window system,
    // so a check runs where there is no display at all, without even loading its libraries.
    const CommandLine commandLine = CommandLine::parse(CommandLine::argumentsOf(argc, argv));
    if (commandLine.action() != CommandLine::Action::Window) {
        QCoreApplication app(argc, argv);
        return ConsoleRun::exec(commandLine);
    }
    return runWindow(argc, argv);
}
