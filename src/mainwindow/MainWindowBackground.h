#pragma once

#include "background/BackgroundCheckHost.h"
#include "commands/SharedMembers.h"

#include <functional>

class BackgroundChecks;
class BackgroundMenuItems;
class EditorCommands;
class ListRefresher;
class QListWidget;
class QWidget;
class ReminderActions;
class TrayMinimizer;
struct MainWindowMenus;

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
    ~MainWindowBackground() override;

    // Starts the checks once start-up has found the watch list file.
    void start();
    // Stops a running check before the program ends, so that it writes nothing after Exit.
    void halt();
    BackgroundChecks& checks() const { return *m_checks; }

    QString inifilename() const override { return m_shared.inifilename; }
    QString tempinifilename() const override { return m_shared.tempinifilename; }
    bool showsAll() const override;
    bool isBusy() const override;

private:
    // Puts a check's rows into the list without taking the focus or showing the window.
    void showRows(const QList<CheckRow>& rows, int watched);

    SharedMembers& m_shared;
    QListWidget* m_list;
    const MainWindowMenus& m_menus;
    Parts m_parts;
    BackgroundChecks* m_checks; // a child of the window, so that tests can find it there
    BackgroundMenuItems* m_items;
};
