#include "mainwindow/StartOptions.h"

#include "commands/MainWindowMenus.h"
#include "commands/OptionsCommands.h"
#include "commands/SharedMembers.h"
#include "engine/Clock.h"
#include "engine/WatchListFile.h"
#include "mainwindow/TrayMinimizer.h"
#include "store/IniFile.h"

#include <QAction>
#include <QListWidget>
#include <QTimer>

namespace StartOptions {

void apply(SharedMembers& window, const MainWindowMenus& menus, QListWidget* listoldfiles, QTimer* Timerclosestart,
           TrayMinimizer& tray)
{
    IniFile& ini = IniFile::instance();
    const QString settings = QStringLiteral("Settings");
    if (WatchListFile::containsTrue(
            ini.ReadString(settings, QStringLiteral("Start in Tray"), window.inifilename, QStringLiteral("false")))) {
        menus.optionsminstartup->setChecked(true);
        tray.minimizeAtStart();
    }
    if (WatchListFile::containsTrue(
            ini.ReadString(settings, QStringLiteral("Close on Start"), window.inifilename, QString()))) {
        menus.optionsclosestart->setChecked(true);
        if (listoldfiles->count() == 0) {
            window.starttime = Clock::now();
            Timerclosestart->start();
        }
    }
    menus.optionrun->setChecked(!OptionsCommands::readRunValue().isEmpty());
}

} // namespace StartOptions
