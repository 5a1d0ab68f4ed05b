#pragma once

class MainWindowLink;
class QListWidget;
class QTimer;
struct MainWindowMenus;

// The start-up options: "Start in Tray" and "Close on Start" from the watch list file, and
// whether the program is set to run at logon. Applied once the first check has filled the list.
namespace StartOptions {

void apply(MainWindowLink& window, const MainWindowMenus& menus, QListWidget* listoldfiles, QTimer* Timerclosestart);

} // namespace StartOptions
