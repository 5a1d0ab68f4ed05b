#pragma once

class QListWidget;
class QWidget;
class TrayIcon;

// Puts the minimized main window into the notification area, where there is one, with an icon
// that flashes while old files wait; without one the window stays minimized in the taskbar.
class TrayMinimizer
{
public:
    TrayMinimizer(QWidget& window, TrayIcon* trayIcon, QListWidget* listoldfiles);

    // Shows the window as start-up left it: normal, or minimized (in the tray when there is one).
    void showAtStart();
    // Follows a change of the window's size or state: into the tray when minimized, the icon
    // off otherwise.
    void windowResized();

private:
    void toTray();

    QWidget& m_window;
    TrayIcon* m_icon;
    QListWidget* m_list;
};
