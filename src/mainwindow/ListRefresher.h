#pragma once

#include "engine/EntryChecker.h"

#include <QList>
#include <functional>

class BackgroundChecks;
class EmptyListNote;
class QListWidget;
class QListWidgetItem;
class frmSplash;
struct MainWindowMenus;
struct SharedMembers;
class QWidget;

// The main window's refresh: runs the check over the watch list and fills the list with what
// needs attention. A refresh asked for while one runs (from inside a question's event loop) is
// not nested but runs once more after it.
class ListRefresher
{
public:
    // The splash is asked for at each refresh: only the start-up's has one. Once `exiting` says
    // so, nothing is checked or written any more.
    ListRefresher(SharedMembers& shared, QWidget* window, QListWidget* listoldfiles, const MainWindowMenus& menus,
                  std::function<frmSplash*()> splash, std::function<bool()> exiting);

    void updatelist();
    bool isRefreshing() const { return m_refreshing; }

    // The list shows the files as they were when the user last looked at the window. It goes
    // stale when the user turns to another program, and only then does the window's coming back
    // refresh it; coming back from one of our own windows or message boxes does not.
    void markStale() { m_listFresh = false; }
    // Refreshes unless a refresh runs or the list is still fresh.
    void refreshIfStale()
    {
        if (!m_refreshing && !m_listFresh)
            updatelist();
    }
    // Tells the list what to say while it has no rows, after any check that filled it: whether
    // the watch list has entries to watch, and that it was checked today.
    void noteChecked(int watched);
    // The checks that run without the user: halted before each refresh looks at the files, and
    // told of every refresh that reached the list, with every entry's file. None until they exist.
    void setChecks(BackgroundChecks* checks) { m_checks = checks; }

    // A row of the list keeps the entry number the check found for it. The row map file is shared
    // with every running copy, which delete or rewrite it as they please, so the window does not
    // look its own rows up there.
    static QListWidgetItem* makeRow(const CheckRow& row);
    static void setRow(QListWidgetItem* item, const CheckRow& row);
    // The entry a row stands for; -1 for no row, or a row that names no entry.
    static qint16 entryOf(const QListWidgetItem* item);
    // The place "Show in Folder" shows for a row (CheckRow::place); empty for no row.
    static QString placeOf(const QListWidgetItem* item);
    // The row the user chose, nullptr for none. A row that is only current (Ctrl+click cleared its
    // selection, or Tab brought the focus into the list) has not been chosen.
    static const QListWidgetItem* chosenRow(const QListWidget* list);
    // Brings the list to new rows by changing only the rows that differ, so that a check that
    // finds what the list already shows costs the window next to nothing. The selected entry stays
    // selected while it is listed, and the list keeps its scroll position.
    static void patchRows(QListWidget* list, const QList<CheckRow>& rows);

private:
    void refreshOnce();

    SharedMembers& m_shared;
    QWidget* m_window;
    QListWidget* m_list;
    const MainWindowMenus& m_menus;
    EmptyListNote* m_note; // owned by the list
    std::function<frmSplash*()> m_splash;
    std::function<bool()> m_exiting;
    bool m_refreshing = false;
    bool m_refreshPending = false;
    bool m_listFresh = false;
    BackgroundChecks* m_checks = nullptr;
};
