#pragma once

#include <QObject>

class MainWindowLink;
class QPushButton;
class TrayIcon;
struct MainWindowMenus;

// The way back from the notification area: clicking the icon, and its menu with
// "Open" and "Exit".
class TrayCommands : public QObject
{
    Q_OBJECT

public:
    // The tray menu's Exit is the window's Exit button.
    TrayCommands(MainWindowLink& window, TrayIcon* trayIcon, QPushButton* cmdok, const MainWindowMenus& menus);

    void TaskBarRPopen_Click();
    void TrayIcon_LeftButtonClick();
    void TrayIcon_RightButtonClick();
    void TaskBarRPexit_Click();

private:
    MainWindowLink& m_window;
    TrayIcon* m_icon;
    QPushButton* m_exit;
    const MainWindowMenus& m_menus;
};
