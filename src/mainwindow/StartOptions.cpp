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

namespace {

void readWatchListOptions(SharedMembers& w, const MainWindowMenus& menus, QListWidget* listoldfiles,
                          QTimer* Timerclosestart, TrayMinimizer& tray)
{
    IniFile& ini = IniFile::instance();
    const QString settings = QStringLiteral("Settings");
    if (WatchListFile::containsTrue(
            ini.ReadString(settings, QStringLiteral("Start in Tray"), w.inifilename, QStringLiteral("false")))) {
        menus.optionsminstartup->setChecked(true);
        tray.minimizeAtStart();
    }
    if (WatchListFile::containsTrue(
            ini.ReadString(settings, QStringLiteral("Close on Start"), w.inifilename, QString()))) {
        menus.optionsclosestart->setChecked(true);
        if (listoldfiles->count() == 0) {
            w.starttime = Clock::now();
            Timerclosestart->start();
        }
    }
}

bool runsAtLogon()
{
    return !OptionsCommands::readRunValue().isEmpty();
}

} // namespace

namespace StartOptions {

void apply(SharedMembers& window, const MainWindowMenus& menus, QListWidget* listoldfiles, QTimer* Timerclosestart,
           TrayMinimizer& tray)
{
    readWatchListOptions(window, menus, listoldfiles, Timerclosestart, tray);
    menus.optionrun->setChecked(runsAtLogon());
}

} // namespace StartOptions
