#include "commands/MainWindowMenus.h"

#include "base/AppInfo.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QAction* checkItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = item(menu, name, caption, shortcut);
    action->setCheckable(true);
    return action;
}

QMenu* menu(QWidget* parent, const char* name, const QString& caption)
{
    auto* result = new QMenu(caption, parent);
    result->setObjectName(QLatin1String(name));
    result->menuAction()->setObjectName(QLatin1String(name) + QLatin1String("Action"));
    // A pop-up is read out by its name; the mnemonic marker is no part of it.
    result->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return result;
}

// Every item carries a mnemonic, unique within its menu, so that each command can be reached from
// the keyboard; the marker only underlines a letter of the caption.
const QString kAgain1 = QStringLiteral("Remind me again in &1 day");
const QString kAgain2 = QStringLiteral("Remind me again in &2 days");
const QString kAgain7 = QStringLiteral("Remind me again One &Week Later");
const QString kAgain30 = QStringLiteral("Remind me again One &Month Later");
const QString kNever = QStringLiteral("&Never Remind me again");

void buildFileMenu(MainWindowMenus& w, QWidget* window)
{
    w.file = menu(window, "file", QStringLiteral("&File"));
    w.fileprint = menu(window, "fileprint", QStringLiteral("&Print"));
    w.fileprintold = item(w.fileprint, "fileprintold", QStringLiteral("Print &old files"));
    w.fileprintall = item(w.fileprint, "fileprintall", QStringLiteral("Print &all my files"));
    w.file->addMenu(w.fileprint);
    w.fileadd = item(w.file, "fileadd", QStringLiteral("&Subscribe to a File"), QKeySequence(Qt::CTRL | Qt::Key_S));
    w.fileeditfile =
        item(w.file, "fileeditfile", QStringLiteral("E&dit selected file"), QKeySequence(Qt::CTRL | Qt::Key_E));
    w.fileexit = item(w.file, "fileexit", QStringLiteral("&Exit"), QKeySequence(Qt::CTRL | Qt::Key_X));
}

void buildBarMenus(MainWindowMenus& w, QWidget* window)
{
    w.postponemenu = menu(window, "postponemenu", QStringLiteral("&Postpone"));
    w.postpone1day = item(w.postponemenu, "postpone1day", kAgain1);
    w.postpone2days = item(w.postponemenu, "postpone2days", kAgain2);
    w.postpone7days = item(w.postponemenu, "postpone7days", kAgain7);
    w.postpone30days = item(w.postponemenu, "postpone30days", kAgain30);
    w.postponenever = item(w.postponemenu, "postponenever", kNever);

    w.view = menu(window, "view", QStringLiteral("&View"));
    w.viewshowold =
        checkItem(w.view, "viewshowold", QStringLiteral("Show only &old files"), QKeySequence(Qt::CTRL | Qt::Key_D));
    w.viewshowold->setChecked(true);
    w.viewshowall =
        checkItem(w.view, "viewshowall", QStringLiteral("Show &all files"), QKeySequence(Qt::CTRL | Qt::Key_A));

    w.Fileoptions = menu(window, "Fileoptions", QStringLiteral("&Options"));
    w.optionsrefreash =
        item(w.Fileoptions, "optionsrefreash", QStringLiteral("&Refresh file List"), QKeySequence(Qt::Key_F5));
    w.optionsminstartup = checkItem(w.Fileoptions, "optionsminstartup", QStringLiteral("&Start Program as Tray Icon"));
    w.optionsclosestart =
        checkItem(w.Fileoptions, "optionsclosestart", QStringLiteral("&Close program at start if no files"));
    w.optionrun = checkItem(w.Fileoptions, "optionrun", QStringLiteral("Run program at &windows Start"));

    w.help = menu(window, "help", QStringLiteral("&Help"));
    w.helpabout = item(w.help, "helpabout", QStringLiteral("&About"));
}

void buildPopups(MainWindowMenus& w, QWidget* window)
{
    w.rightpopup = menu(window, "rightpopup", QStringLiteral("rightpopup"));
    w.rightpopup->setAccessibleName(QStringLiteral("Reminder options"));
    w.rightpopupupdatefiledate =
        item(w.rightpopup, "rightpopupupdatefiledate", QStringLiteral("&Update the File Date"));
    w.rightpopupupdatefiledate->setVisible(false);
    w.rightpopup1 = item(w.rightpopup, "rightpopup1", kAgain1);
    w.rightpopup2 = item(w.rightpopup, "rightpopup2", kAgain2);
    w.rightpopup7 = item(w.rightpopup, "rightpopup7", kAgain7);
    w.rightpopup30 = item(w.rightpopup, "rightpopup30", kAgain30);
    w.rightpopupnev = item(w.rightpopup, "rightpopupnev", kNever);
    w.rightpopupedit = item(w.rightpopup, "rightpopupedit", QStringLiteral("&Edit File"));

    w.TaskBarRP = menu(window, "TaskBarRP", QStringLiteral("TaskBar Right Pop Up"));
    w.TaskBarRPopen = item(w.TaskBarRP, "TaskBarRPopen", QStringLiteral("&Open %1").arg(AppInfo::productName()));
    w.TaskBarRPexit = item(w.TaskBarRP, "TaskBarRPexit", QStringLiteral("E&xit %1").arg(AppInfo::productName()));
}

} // namespace

void MainWindowMenus::build(QMainWindow& window)
{
    buildFileMenu(*this, &window);
    buildBarMenus(*this, &window);
    buildPopups(*this, &window);
    QMenuBar* bar = window.menuBar();
    for (QMenu* top : {file, postponemenu, view, Fileoptions, help})
        bar->addMenu(top);
}

void MainWindowMenus::enableForRows(bool any) const
{
    fileprintold->setEnabled(any);
    fileeditfile->setEnabled(any);
    postponemenu->setEnabled(any);
    postponemenu->menuAction()->setEnabled(any);
}
