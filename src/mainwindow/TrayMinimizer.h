#pragma once

#include <functional>

class ListRefresher;
class QListWidget;
class QWidget;
class TrayIcon;
struct MainWindowMenus;

// Puts the minimized main window into the notification area, where there is one, with an icon
// that flashes while old files wait; without one the window stays minimized in the taskbar. It
// also brings the window back from there: clicking the icon, and its menu with "Open" and "Exit".
class TrayMinimizer
{
public:
    // `exit` is the window's Exit button, which the tray menu's Exit stands for.
    TrayMinimizer(QWidget& window, TrayIcon* trayIcon, QListWidget* listoldfiles, ListRefresher& refresher,
                  const MainWindowMenus& menus, std::function<void()> exit);

    // Start-up asks for the window to start minimized: in the tray when it is first shown.
    void minimizeAtStart() { m_minimizeAtStart = true; }
    bool minimizesAtStart() const { return m_minimizeAtStart; }
    // Shows the window as start-up left it: normal, or minimized (in the tray when there is one).
    void showAtStart();
    // Follows a change of the window's size or state: into the tray when minimized, the icon
    // off otherwise.
    void windowResized();
    // Back from the tray: the window normal and visible, the icon gone, and the list checked
    // again, since the user has not looked at it while it was in the tray.
    void restore();
    // Back from the tray and in front, with the keyboard focus: what a click on the icon or on a
    // notification asks for.
    void comeForward();
    // While the icon is in the tray, its flashing and tooltip follow the rows the list now has.
    void followRows();
    // A tray host came up after the program: the icon is made known to it, and a minimized window
    // waiting in the taskbar for want of a tray moves there.
    void trayHostAppeared();

    void TaskBarRPopen_Click() { restore(); }
    void TrayIcon_LeftButtonClick() { comeForward(); }
    void TrayIcon_RightButtonClick();
    void TaskBarRPexit_Click() { m_exit(); }

private:
    void showIcon();

    QWidget& m_window;
    TrayIcon* m_icon;
    QListWidget* m_list;
    ListRefresher& m_refresher;
    const MainWindowMenus& m_menus;
    std::function<void()> m_exit;
    bool m_minimizeAtStart = false;
};
