#pragma once

#include "commands/MainWindowMenus.h"
#include "commands/SharedMembers.h"
#include "editor/EditorCommands.h"
#include "infowindows/frmAbout.h"
#include "infowindows/frmSplash.h"
#include "mainwindow/ListRefresher.h"
#include "mainwindow/TrayMinimizer.h"
#include "printing/PrintCommands.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class JobCommands;
class MainWindowBackground;
class QListWidget;
class QPushButton;
class QTimer;
class ReminderActions;
class SecondCopyGuard;
class TrayIcon;
class VSResize;

// The main window: the list of what needs attention, the Exit button with its countdown, the
// menus and the tray icon. It makes its commands and parts, hands each the shared members,
// controls and menus it works on, and connects what they announce; none of them knows the window.
class frmfiledsip : public QMainWindow, public SharedMembers
{
    Q_OBJECT

public:
    explicit frmfiledsip(QWidget* parent = nullptr);
    ~frmfiledsip() override;

    // Named routines; the number for a new entry and the entry of the selected row are -1 for none.
    void updatelist() { m_refresher->updatelist(); }
    qint16 getnextfreenumber();
    qint16 realfilenumber() { return ListRefresher::entryOf(ListRefresher::chosenRow(listoldfiles)); }

    bool Form_Load(); // false when the user chose not to run a second copy: the program ends

    void cmdok_Click();
    void fileexit_Click() { cmdok_Click(); }
    void Timerclosestart_Timer();
    bool stopCountdown(); // false when the countdown was not running
    void Form_QueryUnload(bool& cancel);
    void Form_Resize();
    void Form_GotFocus() { m_refresher->refreshIfStale(); }
    void optionsrefreash_Click() { updatelist(); }
    void viewshowall_Click() { showFiles(true); }
    void viewshowold_Click() { showFiles(false); }
    void fileadd_Click() { m_editor->fileadd_Click(); }
    void fileeditfile_Click() { m_editor->fileeditfile_Click(); }
    void fileprintold_Click() { PrintCommands::printOldFiles(this, listoldfiles); }
    void fileprintall_Click() { PrintCommands::printAllFiles(this, inifilename); }
    void helpabout_Click() { frmAbout::showAbout(this); }

    const MainWindowMenus& menus() const { return m_menus; }
    EditorCommands* editor() const { return m_editor; }
    JobCommands* jobs() const { return m_jobs; }

    // Shows the window as start-up left it: normal, or minimized (in the tray when there is one).
    void showAtStart() { m_trayMinimizer->showAtStart(); }
    bool minimizesAtStart() const { return m_trayMinimizer->minimizesAtStart(); }
    frmSplash* splash() const { return m_splash; }                                // nullptr once start-up is over
    void setEnder(std::function<void(int)> ender) { m_ender = std::move(ender); } // how the program ends
    bool isRefreshing() const { return m_refresher->isRefreshing(); }
    bool isExiting() const { return m_exiting; } // from the Exit command on, nothing is written

    QListWidget* listoldfiles = nullptr;
    QPushButton* cmdok = nullptr;
    QTimer* Timerclosestart = nullptr;
    TrayIcon* trayIcon = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    void closeSplash();
    // View > Show all files, or only the old ones: the two items tick each other off.
    void showFiles(bool all);

    MainWindowMenus m_menus;
    QPointer<frmSplash> m_splash;
    VSResize* m_resize = nullptr;
    ReminderActions* m_reminders = nullptr;
    EditorCommands* m_editor = nullptr;
    JobCommands* m_jobs = nullptr;
    std::unique_ptr<SecondCopyGuard> m_copyGuard;
    std::unique_ptr<ListRefresher> m_refresher;
    std::unique_ptr<TrayMinimizer> m_trayMinimizer;
    std::unique_ptr<MainWindowBackground> m_background;
    std::function<void(int)> m_ender;
    bool m_exiting = false;
};
