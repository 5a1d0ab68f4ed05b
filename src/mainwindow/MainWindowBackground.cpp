#include "mainwindow/MainWindowBackground.h"

#include "commands/ReminderActions.h"
#include "commands/TrayCommands.h"
#include "core/ListRefresher.h"
#include "core/TrayMinimizer.h"
#include "core/frmfiledsip.h"
#include "editor/frmaddnewfile.h"
#include "mainwindow/BackgroundChecks.h"
#include "mainwindow/RowListPatch.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>

MainWindowBackground::MainWindowBackground(frmfiledsip& window, ListRefresher& refresher, TrayMinimizer& tray)
    : m_window(window), m_refresher(refresher), m_tray(tray), m_checks(new BackgroundChecks(*this, &window, &window))
{
    m_checks->addMenuItems(window.Fileoptions);
    // A check that adds or drops one row of a long list makes the list lay out every row again;
    // done in batches between events, the window stays responsive while it does.
    window.listoldfiles->setLayoutMode(QListView::Batched);
    m_refresher.setRefreshed(
        [checks = m_checks](const EntryChecker::Result& result) { checks->userRefreshed(result); });
}

MainWindowBackground::~MainWindowBackground()
{
    m_refresher.setRefreshed({});
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
    return m_window.viewshowall->isChecked();
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
    RowListPatch::apply(m_window.listoldfiles, rows);
    const bool any = !rows.isEmpty();
    m_window.fileprintold->setEnabled(any);
    m_window.fileeditfile->setEnabled(any);
    m_window.postponemenu->setEnabled(any);
    m_window.postponemenu->menuAction()->setEnabled(any);
    m_tray.followRows();
}

void MainWindowBackground::openWindow()
{
    m_window.tray()->TaskBarRPopen_Click();
    m_window.activateWindow();
}

void MainWindowBackground::postponeEntry(qint16 entry, int code)
{
    m_window.reminders()->postpone(entry, code);
}

void MainWindowBackground::trayHostAppeared()
{
    m_tray.trayHostAppeared();
}
