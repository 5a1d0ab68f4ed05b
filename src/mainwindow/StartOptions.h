#pragma once

struct SharedMembers;
class QListWidget;
class QTimer;
class TrayMinimizer;
struct MainWindowMenus;

// The start-up options: "Start in Tray" and "Close on Start" from the watch list file, and
// whether the program is set to run at logon. Applied once the first check has filled the list.
namespace StartOptions {

// "Start in Tray" is handed to the tray, which shows the window there when it is first shown.
void apply(SharedMembers& window, const MainWindowMenus& menus, QListWidget* listoldfiles, QTimer* Timerclosestart,
           TrayMinimizer& tray);

} // namespace StartOptions
