#pragma once

#include <QObject>

class QWidget;
class TrayIcon;
struct MainWindowMenus;

// The way back from the notification area: clicking the icon, and its menu with
// "Open" and "Exit".
class TrayCommands : public QObject
{
    Q_OBJECT

public:
    TrayCommands(QWidget* window, TrayIcon* trayIcon, const MainWindowMenus& menus);

    void TaskBarRPopen_Click() { emit openRequested(); }
    void TrayIcon_LeftButtonClick() { emit comeForwardRequested(); }
    void TrayIcon_RightButtonClick();
    void TaskBarRPexit_Click() { emit exitRequested(); }

signals:
    // "Open": the window back from the tray.
    void openRequested();
    // A click on the icon: the window back, in front and with the keyboard focus.
    void comeForwardRequested();
    // The tray menu's Exit, which is the window's Exit button.
    void exitRequested();

private:
    TrayIcon* m_icon;
    const MainWindowMenus& m_menus;
};
