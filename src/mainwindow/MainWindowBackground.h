#pragma once

#include "background/BackgroundCheckHost.h"
#include "background/BackgroundChecks.h"
#include "commands/MainWindowMenus.h"
#include "commands/SharedMembers.h"
#include "mainwindow/ListRefresher.h"

#include <QAction>
#include <functional>

class BackgroundMenuItems;
class EditorCommands;
class QListWidget;
class QWidget;
class ReminderActions;
class TrayMinimizer;

// The main window as the background checks see it: where their rows go, and when they must wait.
class MainWindowBackground : public BackgroundCheckHost
{
public:
    // The window's other parts it asks whether the user is busy, and the reminders, whose Postpone
    // command answers a notification's "Remind me tomorrow".
    struct Parts
    {
        ListRefresher& refresher;
        TrayMinimizer& tray;
        const EditorCommands& editor;
        ReminderActions& reminders;
        std::function<bool()> exiting;
    };
    MainWindowBackground(SharedMembers& shared, QWidget* window, QListWidget* listoldfiles,
                         const MainWindowMenus& menus, Parts parts);
    ~MainWindowBackground() override { m_parts.refresher.setChecks(nullptr); }

    // Starts the checks once start-up has found the watch list file.
    void start();
    // Stops a running check before the program ends, so that it writes nothing after Exit.
    // Bounded: a check stuck on a hung network folder must not keep the program from ending.
    void halt() { m_checks->halt(BackgroundChecks::kHaltMsecs); }
    BackgroundChecks& checks() const { return *m_checks; }

    QString inifilename() const override { return m_shared.inifilename; }
    QString tempinifilename() const override { return m_shared.tempinifilename; }
    bool showsAll() const override { return m_menus.viewshowall->isChecked(); }
    bool isBusy() const override;

private:
    // Puts a check's rows into the list without taking the focus or showing the window.
    void showRows(const QList<CheckRow>& rows, qint16 lastEntry, int watched);

    SharedMembers& m_shared;
    QListWidget* m_list;
    const MainWindowMenus& m_menus;
    Parts m_parts;
    BackgroundChecks* m_checks; // a child of the window, so that tests can find it there
    BackgroundMenuItems* m_items;
};
