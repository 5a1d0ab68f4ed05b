#pragma once

#include "infowindows/frmSplash.h"
#include "mainwindow/MainWindowLink.h"
#include "mainwindow/MainWindowMenus.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class MainWindowBackground;
class OptionsCommands;
class ReminderActions;
class TrayCommands;
class ListRefresher;
class TrayMinimizer;
class QListWidget;
class QPushButton;
class QTimer;
class SecondCopyGuard;
class TrayIcon;
class VSResize;

// The main window: the list of what needs attention, the Exit button with the close-at-start
// countdown, the menus, and the tray icon. It lives for the whole run; other windows and the
// commands reach its shared members and named routines through MainWindowLink, and are handed
// the controls and menus they work on.
class frmfiledsip : public QMainWindow, public MainWindowLink, public MainWindowMenus
{
    Q_OBJECT

public:
    explicit frmfiledsip(QWidget* parent = nullptr);
    ~frmfiledsip() override;

    // The one main window of the program, or nullptr before it exists.
    static frmfiledsip* instance();

    // Named routines other windows call; the shared members are MainWindowLink's.
    void updatelist() override;
    qint16 getnextfreenumber() override;
    qint16 realfilenumber() override;
    QWidget* mainWidget() override { return this; }

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
    void fileeditfile_Click() override;
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
    void restoreFromTray() override;
    // The splash while start-up runs, nullptr once it is closed.
    frmSplash* splash() const { return m_splash; }
    // How the program ends; tests replace it to watch the end without ending themselves.
    void setEnder(std::function<void(int)> ender) { m_ender = std::move(ender); }
    // True while a refresh runs.
    bool isRefreshing() const;
    // True once the Exit command has begun to end the program: from then on nothing is written.
    bool isExiting() const override { return m_exiting; }

    // Controls.
    QListWidget* listoldfiles = nullptr;
    QPushButton* cmdok = nullptr;
    QTimer* Timerclosestart = nullptr;
    TrayIcon* trayIcon = nullptr;

    // The menu bar and the pop-up menus are MainWindowMenus'.

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
    const MainWindowMenus& windowMenus() const { return *this; }

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
