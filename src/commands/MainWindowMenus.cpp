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

} // namespace

void MainWindowMenus::build(QMainWindow& window)
{
    file = menu(&window, "file", QStringLiteral("&File"));
    fileprint = menu(&window, "fileprint", QStringLiteral("&Print"));
    fileprintold = item(fileprint, "fileprintold", QStringLiteral("Print &old files"));
    fileprintall = item(fileprint, "fileprintall", QStringLiteral("Print &all my files"));
    file->addMenu(fileprint);
    fileadd = item(file, "fileadd", QStringLiteral("&Subscribe to a File"), QKeySequence(Qt::CTRL | Qt::Key_S));
    fileeditfile =
        item(file, "fileeditfile", QStringLiteral("E&dit selected file"), QKeySequence(Qt::CTRL | Qt::Key_E));
    fileexit = item(file, "fileexit", QStringLiteral("&Exit"), QKeySequence(Qt::CTRL | Qt::Key_X));

    postponemenu = menu(&window, "postponemenu", QStringLiteral("&Postpone"));
    postpone1day = item(postponemenu, "postpone1day", kAgain1);
    postpone2days = item(postponemenu, "postpone2days", kAgain2);
    postpone7days = item(postponemenu, "postpone7days", kAgain7);
    postpone30days = item(postponemenu, "postpone30days", kAgain30);
    postponenever = item(postponemenu, "postponenever", kNever);

    view = menu(&window, "view", QStringLiteral("&View"));
    viewshowold =
        checkItem(view, "viewshowold", QStringLiteral("Show only &old files"), QKeySequence(Qt::CTRL | Qt::Key_D));
    viewshowold->setChecked(true);
    viewshowall = checkItem(view, "viewshowall", QStringLiteral("Show &all files"), QKeySequence(Qt::CTRL | Qt::Key_A));

    Fileoptions = menu(&window, "Fileoptions", QStringLiteral("&Options"));
    optionsrefreash =
        item(Fileoptions, "optionsrefreash", QStringLiteral("&Refresh file List"), QKeySequence(Qt::Key_F5));
    optionsminstartup = checkItem(Fileoptions, "optionsminstartup", QStringLiteral("&Start Program as Tray Icon"));
    optionsclosestart =
        checkItem(Fileoptions, "optionsclosestart", QStringLiteral("&Close program at start if no files"));
    optionrun = checkItem(Fileoptions, "optionrun", QStringLiteral("Run program at &windows Start"));

    help = menu(&window, "help", QStringLiteral("&Help"));
    helpabout = item(help, "helpabout", QStringLiteral("&About"));

    rightpopup = menu(&window, "rightpopup", QStringLiteral("rightpopup"));
    rightpopup->setAccessibleName(QStringLiteral("Reminder options"));
    rightpopupupdatefiledate = item(rightpopup, "rightpopupupdatefiledate", QStringLiteral("&Update the File Date"));
    rightpopupupdatefiledate->setVisible(false);
    rightpopup1 = item(rightpopup, "rightpopup1", kAgain1);
    rightpopup2 = item(rightpopup, "rightpopup2", kAgain2);
    rightpopup7 = item(rightpopup, "rightpopup7", kAgain7);
    rightpopup30 = item(rightpopup, "rightpopup30", kAgain30);
    rightpopupnev = item(rightpopup, "rightpopupnev", kNever);
    rightpopupedit = item(rightpopup, "rightpopupedit", QStringLiteral("&Edit File"));

    TaskBarRP = menu(&window, "TaskBarRP", QStringLiteral("TaskBar Right Pop Up"));
    TaskBarRPopen = item(TaskBarRP, "TaskBarRPopen", QStringLiteral("&Open %1").arg(AppInfo::productName()));
    TaskBarRPexit = item(TaskBarRP, "TaskBarRPexit", QStringLiteral("E&xit %1").arg(AppInfo::productName()));

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
