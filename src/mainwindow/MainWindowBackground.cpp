#include "mainwindow/MainWindowBackground.h"

#include "background/BackgroundChecks.h"
#include "commands/BackgroundMenuItems.h"
#include "commands/MainWindowMenus.h"
#include "commands/ReminderActions.h"
#include "editor/EditorCommands.h"
#include "mainwindow/ListRefresher.h"
#include "mainwindow/TrayMinimizer.h"

#include <QApplication>
#include <QListWidget>

MainWindowBackground::MainWindowBackground(SharedMembers& shared, QWidget* window, QListWidget* listoldfiles,
                                           const MainWindowMenus& menus, Parts parts)
    : m_shared(shared), m_list(listoldfiles), m_menus(menus), m_parts(std::move(parts)),
      m_checks(new BackgroundChecks(*this, window)),
      m_items(new BackgroundMenuItems(menus.Fileoptions, m_checks->options(), window))
{
    // A check that adds or drops one row of a long list makes the list lay out every row again;
    // done in batches between events, the window stays responsive while it does.
    listoldfiles->setLayoutMode(QListView::Batched);
    QObject::connect(
        m_checks, &BackgroundChecks::rowsReady, m_checks,
        [this](const QList<CheckRow>& rows, qint16 lastEntry, int watched) { showRows(rows, lastEntry, watched); });
    QObject::connect(m_checks, &BackgroundChecks::openRequested, m_checks,
                     [tray = &m_parts.tray] { tray->comeForward(); });
    // "Remind me tomorrow" is the Postpone menu's 1 day (code 0).
    QObject::connect(m_checks, &BackgroundChecks::remindTomorrowRequested, m_checks,
                     [reminders = &m_parts.reminders](qint16 entry) { reminders->postpone(entry, 0); });
    QObject::connect(m_checks, &BackgroundChecks::trayHostAppeared, m_checks,
                     [tray = &m_parts.tray] { tray->trayHostAppeared(); });
    m_parts.refresher.setChecks(m_checks);
}

void MainWindowBackground::start()
{
    m_checks->start();
    m_items->showStored();
}

bool MainWindowBackground::isBusy() const
{
    return m_parts.exiting() || m_parts.refresher.isRefreshing() || QApplication::activeModalWidget() ||
           QApplication::activePopupWidget() || m_parts.editor.isEditorVisible();
}

void MainWindowBackground::showRows(const QList<CheckRow>& rows, qint16 lastEntry, int watched)
{
    m_shared.cnt = lastEntry;
    ListRefresher::patchRows(m_list, rows);
    m_menus.enableForRows(!rows.isEmpty());
    m_parts.refresher.noteChecked(watched);
    m_parts.tray.followRows();
}
