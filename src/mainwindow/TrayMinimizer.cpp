#include "mainwindow/TrayMinimizer.h"

#include "controls/TrayIcon.h"
#include "engine/AppInfo.h"

#include <QListWidget>
#include <QTimer>

TrayMinimizer::TrayMinimizer(QWidget& window, TrayIcon* trayIcon, QListWidget* listoldfiles)
    : m_window(window), m_icon(trayIcon), m_list(listoldfiles)
{}

void TrayMinimizer::showAtStart()
{
    if (!m_window.isMinimized()) {
        m_window.show();
        return;
    }
    if (TrayIcon::systemTrayAvailable())
        windowResized(); // straight to the tray, never shown in the taskbar
    else
        m_window.showMinimized();
}

void TrayMinimizer::windowResized()
{
    TrayIcon* icon = m_icon;
    if (!m_window.isMinimized()) {
        icon->setEnabled(false);
        return;
    }
    if (!TrayIcon::systemTrayAvailable())
        return;
    icon->setEnabled(true);
    icon->setFlashenabled(false);
    icon->setTooltiptext(AppInfo::productName());
    if (m_list->count() > 0) {
        icon->setFlashenabled(true);
        icon->setTooltiptext(AppInfo::productName() + QStringLiteral(" - You have old items"));
    }
    toTray();
}

void TrayMinimizer::toTray()
{
    // Hiding from inside the window system's state change confuses some window managers; hide
    // once it is delivered.
    QWidget* window = &m_window;
    TrayIcon* icon = m_icon;
    QTimer::singleShot(0, window, [window, icon] {
        if (window->isMinimized() && icon->enabled())
            window->hide();
    });
}
