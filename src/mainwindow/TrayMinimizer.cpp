#include "mainwindow/TrayMinimizer.h"

#include "base/AppInfo.h"
#include "commands/MainWindowMenus.h"
#include "controls/TrayIcon.h"
#include "mainwindow/ListRefresher.h"

#include <QAction>
#include <QCursor>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

TrayMinimizer::TrayMinimizer(QWidget& window, TrayIcon* trayIcon, QListWidget* listoldfiles, ListRefresher& refresher,
                             const MainWindowMenus& menus, std::function<void()> exit)
    : m_window(window), m_icon(trayIcon), m_list(listoldfiles), m_refresher(refresher), m_menus(menus),
      m_exit(std::move(exit))
{
    QObject::connect(m_icon, &TrayIcon::LeftButtonClick, &window, [this] { TrayIcon_LeftButtonClick(); });
    QObject::connect(m_icon, &TrayIcon::RightButtonClick, &window, [this] { TrayIcon_RightButtonClick(); });
    QObject::connect(m_menus.TaskBarRPopen, &QAction::triggered, &window, [this] { TaskBarRPopen_Click(); });
    QObject::connect(m_menus.TaskBarRPexit, &QAction::triggered, &window, [this] { TaskBarRPexit_Click(); });
    m_menus.TaskBarRP->setDefaultAction(m_menus.TaskBarRPexit);
}

void TrayMinimizer::TrayIcon_RightButtonClick()
{
    m_menus.TaskBarRP->setDefaultAction(m_menus.TaskBarRPexit);
    m_menus.TaskBarRP->exec(QCursor::pos());
}

void TrayMinimizer::showAtStart()
{
    if (!m_minimizeAtStart) {
        m_window.show();
        return;
    }
    if (!TrayIcon::systemTrayAvailable()) {
        m_window.showMinimized();
        return;
    }
    // Straight to the tray, never shown in the taskbar. The window is not given the minimized
    // state here: on X11 that creates its native window marked to start iconic, and when it is
    // later restored the window manager may map it iconic after all, which sends it straight
    // back to the tray. A window that was never shown needs only to be shown.
    showIcon();
}

void TrayMinimizer::windowResized()
{
    if (!m_window.isMinimized()) {
        m_icon->setEnabled(false);
        return;
    }
    if (!TrayIcon::systemTrayAvailable())
        return;
    showIcon();
    // Hiding from inside the window system's state change confuses some window managers; hide
    // once it is delivered.
    QWidget* window = &m_window;
    TrayIcon* icon = m_icon;
    QTimer::singleShot(0, window, [window, icon] {
        if (window->isMinimized() && icon->enabled())
            window->hide();
    });
}

void TrayMinimizer::restore()
{
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.show();
    m_icon->setEnabled(false);
    m_refresher.refreshIfStale();
}

void TrayMinimizer::comeForward()
{
    restore();
    m_window.raise();
    // The keyboard focus goes back to the control that last had it (the Exit button at first),
    // so the list and the Exit keys answer at once.
    m_window.activateWindow();
}

void TrayMinimizer::showIcon()
{
    m_icon->setEnabled(true);
    followRows();
    m_refresher.markStale();
}

void TrayMinimizer::followRows()
{
    if (!m_icon->enabled())
        return;
    const bool any = m_list->count() > 0;
    m_icon->setFlashenabled(any);
    m_icon->setTooltiptext(any ? AppInfo::productName() + QStringLiteral(" - You have old items")
                               : AppInfo::productName());
}

void TrayMinimizer::trayHostAppeared()
{
    if (m_icon->enabled()) {
        // The new host knows only icons registered after it started.
        m_icon->setEnabled(false);
        m_icon->setEnabled(true);
        followRows();
        return;
    }
    if (m_window.isMinimized() && m_window.isVisible())
        windowResized();
}
