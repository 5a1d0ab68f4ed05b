#pragma once

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar and its two pop-up menus, with every caption, shortcut and
// initial state. The window holds them; the commands are handed them to connect to, and never
// need the window for it.
struct MainWindowMenus
{
    // Builds every menu onto the window, and the bar menus into its menu bar.
    void build(QMainWindow& window);
    // The commands that work on a row are offered only while the list has one.
    void enableForRows(bool any) const;

    // Menu bar.
    QMenu* file = nullptr;
    QMenu* fileprint = nullptr;
    QAction* fileprintold = nullptr;
    QAction* fileprintall = nullptr;
    QAction* fileadd = nullptr;
    QAction* fileeditfile = nullptr;
    QAction* fileexit = nullptr;
    QMenu* postponemenu = nullptr;
    QAction* postpone1day = nullptr;
    QAction* postpone2days = nullptr;
    QAction* postpone7days = nullptr;
    QAction* postpone30days = nullptr;
    QAction* postponenever = nullptr;
    QMenu* view = nullptr;
    QAction* viewshowold = nullptr;
    QAction* viewshowall = nullptr;
    QMenu* Fileoptions = nullptr;
    QAction* optionsrefreash = nullptr;
    QAction* optionsminstartup = nullptr;
    QAction* optionsclosestart = nullptr;
    QAction* optionrun = nullptr;
    QMenu* help = nullptr;
    QAction* helpabout = nullptr;

    // Pop-up menus, never on the menu bar.
    QMenu* rightpopup = nullptr;
    QAction* rightpopupupdatefiledate = nullptr;
    QAction* rightpopup1 = nullptr;
    QAction* rightpopup2 = nullptr;
    QAction* rightpopup7 = nullptr;
    QAction* rightpopup30 = nullptr;
    QAction* rightpopupnev = nullptr;
    QAction* rightpopupedit = nullptr;
    QMenu* TaskBarRP = nullptr;
    QAction* TaskBarRPopen = nullptr;
    QAction* TaskBarRPexit = nullptr;
};
