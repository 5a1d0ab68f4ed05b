#include "commands/TrayCommands.h"

#include "commands/MainWindowMenus.h"
#include "controls/TrayIcon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

TrayCommands::TrayCommands(QWidget* window, TrayIcon* trayIcon, const MainWindowMenus& menus)
    : QObject(window), m_icon(trayIcon), m_menus(menus)
{
    connect(m_icon, &TrayIcon::LeftButtonClick, this, &TrayCommands::TrayIcon_LeftButtonClick);
    connect(m_icon, &TrayIcon::RightButtonClick, this, &TrayCommands::TrayIcon_RightButtonClick);
    connect(m_menus.TaskBarRPopen, &QAction::triggered, this, &TrayCommands::TaskBarRPopen_Click);
    connect(m_menus.TaskBarRPexit, &QAction::triggered, this, &TrayCommands::TaskBarRPexit_Click);
    m_menus.TaskBarRP->setDefaultAction(m_menus.TaskBarRPexit);
}

void TrayCommands::TrayIcon_RightButtonClick()
{
    m_menus.TaskBarRP->setDefaultAction(m_menus.TaskBarRPexit);
    m_menus.TaskBarRP->exec(QCursor::pos());
}
