#include "mainwindow/MainWindowBackground.h"

#include "editor/frmaddnewfile.h"
#include "background/BackgroundChecks.h"
#include "mainwindow/ListRefresher.h"
#include "mainwindow/MainWindowLink.h"
#include "mainwindow/MainWindowMenus.h"
#include "mainwindow/RowListPatch.h"
#include "mainwindow/TrayMinimizer.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>

MainWindowBackground::MainWindowBackground(MainWindowLink& window, QListWidget* listoldfiles,
                                           const MainWindowMenus& menus, Postpone postpone, ListRefresher& refresher,
                                           TrayMinimizer& tray)
    : m_window(window), m_list(listoldfiles), m_menus(menus), m_postpone(std::move(postpone)), m_refresher(refresher),
      m_tray(tray), m_checks(new BackgroundChecks(*this, window.mainWidget(), window.mainWidget()))
{
    m_checks->addMenuItems(menus.Fileoptions);
    // A check that adds or drops one row of a long list makes the list lay out every row again;
    // done in batches between events, the window stays responsive while it does.
    listoldfiles->setLayoutMode(QListView::Batched);
    m_refresher.setAboutToCheck([checks = m_checks] { checks->halt(); });
    m_refresher.setRefreshed(
        [checks = m_checks](const EntryChecker::Result& result) { checks->userRefreshed(result); });
}

MainWindowBackground::~MainWindowBackground()
{
    m_refresher.setAboutToCheck({});
    m_refresher.setRefreshed({});
}

void MainWindowBackground::halt()
{
    // Bounded: a check stuck on a hung network folder must not keep the program from ending.
    m_checks->halt(BackgroundChecks::kHaltMsecs);
}

void MainWindowBackground::start()
{
    m_checks->start();
}

QString MainWindowBackground::inifilename() const
{
    return m_window.inifilename;
}

QString MainWindowBackground::tempinifilename() const
{
    return m_window.tempinifilename;
}

bool MainWindowBackground::showsAll() const
{
    return m_menus.viewshowall->isChecked();
}

bool MainWindowBackground::isBusy() const
{
    const frmaddnewfile* editor = frmaddnewfile::instance();
    return m_window.isExiting() || m_refresher.isRefreshing() || QApplication::activeModalWidget() ||
           QApplication::activePopupWidget() || (editor && editor->isVisible());
}

void MainWindowBackground::showRows(const QList<CheckRow>& rows, qint16 lastEntry)
{
    m_window.cnt = lastEntry;
    RowListPatch::apply(m_list, rows);
    const bool any = !rows.isEmpty();
    m_menus.fileprintold->setEnabled(any);
    m_menus.fileeditfile->setEnabled(any);
    m_menus.postponemenu->setEnabled(any);
    m_menus.postponemenu->menuAction()->setEnabled(any);
    m_tray.followRows();
}

void MainWindowBackground::openWindow()
{
    m_window.restoreFromTray();
    m_window.mainWidget()->raise();
    m_window.mainWidget()->activateWindow();
}

void MainWindowBackground::postponeEntry(qint16 entry, int code)
{
    m_postpone(entry, code);
}

void MainWindowBackground::trayHostAppeared()
{
    m_tray.trayHostAppeared();
}
