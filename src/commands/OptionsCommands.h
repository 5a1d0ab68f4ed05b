#pragma once

#include "commands/MainWindowMenus.h"

#include <QObject>
#include <QString>

class QWidget;
struct SharedMembers;

// The three start-up options of the Options menu. Each click stores the new setting and the
// checkmark follows what is really stored; nothing changes the running window.
class OptionsCommands : public QObject
{
    Q_OBJECT

public:
    OptionsCommands(const SharedMembers& shared, QWidget* window, const MainWindowMenus& menus);

    void optionsminstartup_Click() { toggleSetting(QStringLiteral("Start in Tray"), m_menus.optionsminstartup); }
    void optionsclosestart_Click() { toggleSetting(QStringLiteral("Close on Start"), m_menus.optionsclosestart); }
    void optionrun_Click();

    // The run-at-login value: its name, and the program it starts.
    static QString runValueName();
    static QString runValueData(const QString& programFolder);
    // The value as stored now, "" when there is none.
    static QString readRunValue();

private:
    void connectItem(class QAction* item, void (OptionsCommands::*handler)());
    void toggleSetting(const QString& key, QAction* item);

    const SharedMembers& m_shared;
    QWidget* m_window;
    const MainWindowMenus& m_menus;
};
