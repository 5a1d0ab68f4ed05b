#include "commands/TrayCommands.h"

#include "controls/TrayIcon.h"
#include "core/frmfiledsip.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QPushButton>

TrayCommands::TrayCommands(frmfiledsip& window) : QObject(&window), m_window(window)
{
    connect(m_window.trayIcon, &TrayIcon::LeftButtonClick, this, &TrayCommands::TrayIcon_LeftButtonClick);
    connect(m_window.trayIcon, &TrayIcon::RightButtonClick, this, &TrayCommands::TrayIcon_RightButtonClick);
    connect(m_window.TaskBarRPopen, &QAction::triggered, this, &TrayCommands::TaskBarRPopen_Click);
    connect(m_window.TaskBarRPexit, &QAction::triggered, this, &TrayCommands::TaskBarRPexit_Click);
    m_window.TaskBarRP->setDefaultAction(m_window.TaskBarRPexit);
}

void TrayCommands::TaskBarRPopen_Click()
{
    m_window.restoreFromTray();
}

void TrayCommands::TrayIcon_LeftButtonClick()
{
    TaskBarRPopen_Click();
    m_window.raise();
    // The keyboard focus goes back to the control that last had it (the Exit button at first),
    // so the list and the Exit keys answer at once.
    m_window.activateWindow();
}

void TrayCommands::TrayIcon_RightButtonClick()
{
    m_window.TaskBarRP->setDefaultAction(m_window.TaskBarRPexit);
    m_window.TaskBarRP->exec(QCursor::pos());
}

void TrayCommands::TaskBarRPexit_Click()
{
    m_window.cmdok->click();
}
