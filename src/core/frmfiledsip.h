#pragma once

#include "infowindows/frmSplash.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class MainWindowBackground;
class OptionsCommands;
class ReminderActions;
class TrayCommands;
class ListRefresher;
class TrayMinimizer;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class SecondCopyGuard;
class TrayIcon;
class VSResize;

// The main window: the list of what needs attention, the Exit button with the close-at-start
// countdown, the menus, and the tray icon. It lives for the whole run; other windows reach it
// through instance() and read and write its shared members.
class frmfiledsip : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmfiledsip(QWidget* parent = nullptr);
    ~frmfiledsip() override;

    // The one main window of the program, or nullptr before it exists.
    static frmfiledsip* instance();

    // Shared members.
    qint16 cnt = 0;
    bool editnotnew = false;
    qint16 filenumber = 0;
    QString inifilename;
    QString tempinifilename;
    QDateTime starttime;

    // Named routines other windows call.
    void updatelist();
    // The number for a new entry; -1 when every number is taken (the list is full).
    qint16 getnextfreenumber();
    // The entry number of the selected row, or -1 when no row is selected.
    qint16 realfilenumber();

    // Start-up. False when the user chose not to run a second copy: the program should end.
    bool Form_Load();

    // Event handlers.
    void cmdok_Click();
    void fileexit_Click();
    void Timerclosestart_Timer();
    // Stops the close-at-start countdown; false when it was not running.
    bool stopCountdown();
    void Form_QueryUnload(bool& cancel);
    void Form_Resize();
    void Form_GotFocus();
    void optionsrefreash_Click();
    void viewshowall_Click();
    void viewshowold_Click();
    // Open the entry editor for a new entry, or filled from the selected one.
    void fileadd_Click();
    void fileeditfile_Click();
    void fileprintold_Click();
    void fileprintall_Click();
    void helpabout_Click();

    // The command groups behind the menus.
    ReminderActions* reminders() const { return m_reminders; }
    OptionsCommands* options() const { return m_options; }
    TrayCommands* tray() const { return m_tray; }

    // Start-up's "Start in Tray": the window is first shown minimized (in the tray when there is
    // one).
    void minimizeAtStart();
    bool minimizesAtStart() const;
    // Shows the window as start-up left it: normal, or minimized (in the tray when there is one).
    void showAtStart();
    // Back from the tray: normal, visible, the icon gone and the list checked again.
    void restoreFromTray();
    // The splash while start-up runs, nullptr once it is closed.
    frmSplash* splash() const { return m_splash; }
    // How the program ends; tests replace it to watch the end without ending themselves.
    void setEnder(std::function<void(int)> ender) { m_ender = std::move(ender); }
    // True while a refresh runs.
    bool isRefreshing() const;
    // True once the Exit command has begun to end the program: from then on nothing is written.
    bool isExiting() const { return m_exiting; }

    // Controls.
    QListWidget* listoldfiles = nullptr;
    QPushButton* cmdok = nullptr;
    QTimer* Timerclosestart = nullptr;
    TrayIcon* trayIcon = nullptr;

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

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    bool isSecondCopyWanted();
    void closeSplash();

    QPointer<frmSplash> m_splash;
    VSResize* m_resize = nullptr;
    ReminderActions* m_reminders = nullptr;
    OptionsCommands* m_options = nullptr;
    TrayCommands* m_tray = nullptr;
    std::unique_ptr<SecondCopyGuard> m_copyGuard;
    std::unique_ptr<ListRefresher> m_refresher;
    std::unique_ptr<TrayMinimizer> m_trayMinimizer;
    std::unique_ptr<MainWindowBackground> m_background;
    std::function<void(int)> m_ender;
    bool m_exiting = false;
};
