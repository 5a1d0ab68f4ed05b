#pragma once

#include "background/BackgroundCheckHost.h"

#include <functional>

class BackgroundChecks;
class BackgroundMenuItems;
class EditorCommands;
class ListRefresher;
class QListWidget;
class QWidget;
class TrayMinimizer;
struct MainWindowMenus;
struct SharedMembers;

// The main window as the background checks see it: where their rows go, and when they must wait.
class MainWindowBackground : public BackgroundCheckHost
{
public:
    // `postpone` is the Postpone menu's command for one entry and a postpone code.
    using Postpone = std::function<void(qint16 entry, int code)>;
    // The window's other parts it asks whether the user is busy.
    struct Parts
    {
        ListRefresher& refresher;
        TrayMinimizer& tray;
        const EditorCommands& editor;
        std::function<bool()> exiting;
    };
    MainWindowBackground(SharedMembers& shared, QWidget* window, QListWidget* listoldfiles,
                         const MainWindowMenus& menus, Postpone postpone, Parts parts);
    ~MainWindowBackground() override;

    // Starts the checks once start-up has found the watch list file.
    void start();
    // Stops a running check before the program ends, so that it writes nothing after Exit.
    void halt();
    BackgroundChecks& checks() const { return *m_checks; }

    QString inifilename() const override;
    QString tempinifilename() const override;
    bool showsAll() const override;
    bool isBusy() const override;

private:
    // Puts a check's rows into the list without taking the focus or showing the window.
    void showRows(const QList<CheckRow>& rows, qint16 lastEntry, int watched);

    SharedMembers& m_shared;
    QListWidget* m_list;
    const MainWindowMenus& m_menus;
    Postpone m_postpone;
    Parts m_parts;
    BackgroundChecks* m_checks; // a child of the window, so that tests can find it there
    BackgroundMenuItems* m_items;
};
