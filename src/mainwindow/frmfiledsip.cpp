#include "mainwindow/frmfiledsip.h"

#include "base/AppError.h"
#include "base/AppInfo.h"
#include "commands/JobCommands.h"
#include "commands/OptionsCommands.h"
#include "commands/ReminderActions.h"
#include "controls/Prompter.h"
#include "controls/TrayIcon.h"
#include "controls/Twips.h"
#include "controls/VSResize.h"
#include "desktop/RegistryStore.h"
#include "desktop/SecondCopyGuard.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/WatchListFile.h"
#include "infowindows/frmSplash.h"
#include "mainwindow/CloseCountdown.h"
#include "mainwindow/MainWindowBackground.h"
#include "mainwindow/StartOptions.h"
#include "store/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {

// The client area at design size, and the window's limits (6000 x 3405 to 15360 x 11520 with a
// frame of 120 x 690, menu bar included).
const QSize kDesignClient(5880 / 15, 2715 / 15);
const QSize kMinimumClient((6000 - 120) / 15, (3405 - 690) / 15);
const QSize kMaximumClient((15360 - 120) / 15, (11520 - 690) / 15);

} // namespace

frmfiledsip::frmfiledsip(QWidget* parent)
    : QMainWindow(parent), m_copyGuard(std::make_unique<SecondCopyGuard>()),
      m_ender([](int code) { QCoreApplication::exit(code); })
{
    setObjectName(QStringLiteral("frmfiledsip"));
    setWindowIcon(QIcon(QStringLiteral(":/staleguard.svg")));
    setWindowTitle(AppInfo::productName());
    buildControls();
    m_menus.build(*this);
    // The window's parts are handed the controls and menus they work on, so they exist first.
    const auto exiting = [this] { return isExiting(); };
    const auto selected = [this] { return realfilenumber(); };
    m_refresher = std::make_unique<ListRefresher>(
        *this, this, listoldfiles, m_menus, [this] { return splash(); }, exiting);
    m_trayMinimizer = std::make_unique<TrayMinimizer>(*this, trayIcon, listoldfiles, *m_refresher, m_menus,
                                                      [this] { cmdok->click(); });
    m_editor = new EditorCommands(*this, this, selected);
    m_reminders = new ReminderActions(*this, this, listoldfiles, m_menus, selected, [this] {
        return ListRefresher::placeOf(ListRefresher::chosenRow(listoldfiles));
    });
    m_background = std::make_unique<MainWindowBackground>(
        *this, this, listoldfiles, m_menus,
        MainWindowBackground::Parts{*m_refresher, *m_trayMinimizer, *m_editor, *m_reminders, exiting});
    m_jobs = new JobCommands(*this, this, m_menus, selected, m_background->checks());
    connectHandlers();
}

frmfiledsip::~frmfiledsip()
{
    // The reminders watch the list's events, so they go before the widgets are torn down; the
    // editor, a window of its own, goes with the window.
    delete m_reminders;
    delete m_editor;
    delete m_splash.data();
}

void frmfiledsip::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setBackgroundRole(QPalette::Button);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    cmdok = new QPushButton(QStringLiteral("&Exit"), client);
    cmdok->setObjectName(QStringLiteral("cmdok"));
    cmdok->setGeometry(Twips::rect(4515, 120, 1215, 585));
    cmdok->setToolTip(QStringLiteral("Exit the program"));
    cmdok->setAccessibleDescription(cmdok->toolTip());

    listoldfiles = new QListWidget(client);
    listoldfiles->setObjectName(QStringLiteral("listoldfiles"));
    listoldfiles->setGeometry(Twips::rect(120, 120, 4212, 2400));
    listoldfiles->setToolTip(QStringLiteral("Click on a filename and press the mouse button for more options"));
    listoldfiles->setAccessibleName(QStringLiteral("Files that need attention"));
    listoldfiles->setAccessibleDescription(listoldfiles->toolTip() +
                                           QStringLiteral(" (from the keyboard: the menu key or Shift+F10)"));
    // Tab order: the Exit button first, then the list.
    setTabOrder(cmdok, listoldfiles);

    Timerclosestart = new QTimer(this);
    Timerclosestart->setObjectName(QStringLiteral("Timerclosestart"));
    Timerclosestart->setInterval(1000);

    trayIcon = new TrayIcon(this);
    trayIcon->setObjectName(QStringLiteral("TrayIcon"));

    client->resize(kDesignClient);
    m_resize = new VSResize(client, kDesignClient, kMinimumClient, kMaximumClient);
    m_resize->setObjectName(QStringLiteral("VSResize"));
}

void frmfiledsip::connectHandlers()
{
    // A command from the menus or the list's pop-up means the user is at work: the countdown
    // stops as the Exit button stops it, before the command runs, so that it cannot end the
    // program under an editor or a question the command opens. File > Exit is the Exit button
    // itself, and the tray's menu belongs to the icon, not to the window.
    const QList<QMenu*> menus = findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
    for (QMenu* menu : menus) {
        if (menu == m_menus.TaskBarRP)
            continue;
        const QList<QAction*> actions = menu->actions();
        for (QAction* action : actions) {
            if (!action->menu() && action != m_menus.fileexit)
                connect(action, &QAction::triggered, this, &frmfiledsip::stopCountdown);
        }
    }
    connect(cmdok, &QPushButton::clicked, this, &frmfiledsip::cmdok_Click);
    connect(m_menus.fileexit, &QAction::triggered, this, &frmfiledsip::fileexit_Click);
    connect(Timerclosestart, &QTimer::timeout, this, &frmfiledsip::Timerclosestart_Timer);
    connect(m_menus.optionsrefreash, &QAction::triggered, this, &frmfiledsip::optionsrefreash_Click);
    connect(m_menus.viewshowall, &QAction::triggered, this, &frmfiledsip::viewshowall_Click);
    connect(m_menus.viewshowold, &QAction::triggered, this, &frmfiledsip::viewshowold_Click);
    connect(m_menus.fileadd, &QAction::triggered, this, &frmfiledsip::fileadd_Click);
    connect(m_menus.fileeditfile, &QAction::triggered, this, &frmfiledsip::fileeditfile_Click);
    connect(m_menus.fileprintold, &QAction::triggered, this, &frmfiledsip::fileprintold_Click);
    connect(m_menus.fileprintall, &QAction::triggered, this, &frmfiledsip::fileprintall_Click);
    connect(m_menus.helpabout, &QAction::triggered, this, &frmfiledsip::helpabout_Click);
    connect(m_editor, &EditorCommands::entrySaved, this, &frmfiledsip::updatelist);
    connect(m_reminders, &ReminderActions::listChanged, this, &frmfiledsip::updatelist);
    connect(m_reminders, &ReminderActions::editRequested, this, &frmfiledsip::fileeditfile_Click);
    new OptionsCommands(*this, this, m_menus);
}

bool frmfiledsip::Form_Load()
{
    m_splash = new frmSplash();
    m_splash->show();
    QCoreApplication::processEvents();

    const bool wanted = m_copyGuard->tryAcquire() ||
                        Prompter::askYesNo(nullptr,
                                           AppInfo::productName() +
                                               QStringLiteral(" is already running, do you want to open another copy?"),
                                           true);
    if (!wanted) {
        closeSplash();
        return false;
    }

    if (inifilename.isEmpty() || tempinifilename.isEmpty()) {
        const WatchListFile::Paths paths = WatchListFile::locate();
        inifilename = paths.inifilename;
        tempinifilename = paths.tempinifilename;
    }

    updatelist();
    m_resize->Init();
    repaint();
    IniFile::instance().InitForm(this);
    RegistryStore::instance().LoadWindowPos(this, AppInfo::windowPositionsKey(), 0, RegistryStore::HKEY_CURRENT_USER);
    StartOptions::apply(*this, m_menus, listoldfiles, Timerclosestart, *m_trayMinimizer);
    setWindowTitle(AppInfo::productName() + QStringLiteral(" - ") + DateTexts::longDate(Clock::today()));
    m_background->start();

    closeSplash();
    return true;
}

void frmfiledsip::closeSplash()
{
    // The splash deletes itself once closed; from now on nothing writes to it.
    if (m_splash)
        m_splash->close();
    m_splash.clear();
}

qint16 frmfiledsip::getnextfreenumber()
{
    return WatchListFile::nextFreeNumber(IniFile::instance(), inifilename).value_or(qint16(-1));
}

bool frmfiledsip::stopCountdown()
{
    if (!Timerclosestart->isActive())
        return false;
    Timerclosestart->stop();
    cmdok->setText(QStringLiteral("&Exit"));
    return true;
}

void frmfiledsip::cmdok_Click()
{
    if (stopCountdown())
        return;
    m_background->halt();
    if (IniFile::instance().FileExists(tempinifilename) && !QFile::remove(tempinifilename)) {
        throw AppError(AppError::FileWrite, QStringLiteral("frmfiledsip"),
                       QStringLiteral("The file %1 could not be deleted.").arg(tempinifilename));
    }
    m_exiting = true;
    // The countdown or the tray's Exit can come while a refresh waits for an answer; the
    // question goes, and the refresh stops there without writing the row map file again.
    Prompter::closeAll();
    close();
    m_ender(0);
}

void frmfiledsip::Timerclosestart_Timer()
{
    const qint16 remaining = CloseCountdown::remaining(starttime, Clock::now());
    if (remaining <= 0) {
        Timerclosestart->stop();
        cmdok_Click();
        return;
    }
    // The word stays "seconds" for every count, "1 seconds" too.
    cmdok->setText(QStringLiteral("Exiting in %1 seconds").arg(remaining));
    cmdok->repaint();
}

void frmfiledsip::Form_QueryUnload(bool& cancel)
{
    RegistryStore::instance().SaveWindowPos(this, AppInfo::windowPositionsKey(), RegistryStore::HKEY_CURRENT_USER);
    if (m_exiting)
        return; // the Exit command's own close
    cancel = true;
    cmdok_Click();
}

void frmfiledsip::Form_Resize()
{
    m_resize->Resize();
    m_trayMinimizer->windowResized();
}

void frmfiledsip::showFiles(bool all)
{
    m_menus.viewshowall->setChecked(all);
    m_menus.viewshowold->setChecked(!all);
    updatelist();
}

void frmfiledsip::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel);
    event->setAccepted(!cancel);
}

void frmfiledsip::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmfiledsip::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmfiledsip::keyPressEvent(QKeyEvent* event)
{
    // The Exit button is both the default and the cancel button of the window.
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    const int key = event->key();
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape))
        cmdok->click();
    else
        QMainWindow::keyPressEvent(event);
}

bool frmfiledsip::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate && QApplication::activeWindow() == nullptr)
        m_refresher->markStale(); // the user turned to another program (or the window went to the tray)
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_GotFocus();
    return handled;
}
