#include "mainwindow/TrayMinimizer.h"

#include "controls/TrayIcon.h"
#include "engine/AppInfo.h"
#include "mainwindow/frmfiledsip.h"

#include <QListWidget>
#include <QTimer>

TrayMinimizer::TrayMinimizer(frmfiledsip& window) : m_window(window) {}

void TrayMinimizer::showAtStart()
{
    if (!m_window.isMinimized()) {
        m_window.show();
        return;
    }
    if (TrayIcon::systemTrayAvailable())
        m_window.Form_Resize(); // straight to the tray, never shown in the taskbar
    else
        m_window.showMinimized();
}

void TrayMinimizer::windowResized()
{
    TrayIcon* icon = m_window.trayIcon;
    if (!m_window.isMinimized()) {
        icon->setEnabled(false);
        return;
    }
    if (!TrayIcon::systemTrayAvailable())
        return;
    icon->setEnabled(true);
    icon->setFlashenabled(false);
    icon->setTooltiptext(AppInfo::productName());
    if (m_window.listoldfiles->count() > 0) {
        icon->setFlashenabled(true);
        icon->setTooltiptext(AppInfo::productName() + QStringLiteral(" - You have old items"));
    }
    toTray();
}

void TrayMinimizer::toTray()
{
    // Hiding from inside the window system's state change confuses some window managers; hide
    // once it is delivered.
    frmfiledsip* window = &m_window;
    QTimer::singleShot(0, window, [window] {
        if (window->isMinimized() && window->trayIcon->enabled())
            window->hide();
    });
}
