#include "commands/TrayCommands.h"

#include "controls/TrayIcon.h"
#include "mainwindow/MainWindowLink.h"
#include "mainwindow/MainWindowMenus.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QPushButton>

TrayCommands::TrayCommands(MainWindowLink& window, TrayIcon* trayIcon, QPushButton* cmdok, const MainWindowMenus& menus)
    : QObject(window.mainWidget()), m_window(window), m_icon(trayIcon), m_exit(cmdok), m_menus(menus)
{
    connect(m_icon, &TrayIcon::LeftButtonClick, this, &TrayCommands::TrayIcon_LeftButtonClick);
    connect(m_icon, &TrayIcon::RightButtonClick, this, &TrayCommands::TrayIcon_RightButtonClick);
    connect(m_menus.TaskBarRPopen, &QAction::triggered, this, &TrayCommands::TaskBarRPopen_Click);
    connect(m_menus.TaskBarRPexit, &QAction::triggered, this, &TrayCommands::TaskBarRPexit_Click);
    m_menus.TaskBarRP->setDefaultAction(m_menus.TaskBarRPexit);
}

void TrayCommands::TaskBarRPopen_Click()
{
    m_window.restoreFromTray();
}

void TrayCommands::TrayIcon_LeftButtonClick()
{
    TaskBarRPopen_Click();
    m_window.mainWidget()->raise();
    // The keyboard focus goes back to the control that last had it (the Exit button at first),
    // so the list and the Exit keys answer at once.
    m_window.mainWidget()->activateWindow();
}

void TrayCommands::TrayIcon_RightButtonClick()
{
    m_menus.TaskBarRP->setDefaultAction(m_menus.TaskBarRPexit);
    m_menus.TaskBarRP->exec(QCursor::pos());
}

void TrayCommands::TaskBarRPexit_Click()
{
    m_exit->click();
}
