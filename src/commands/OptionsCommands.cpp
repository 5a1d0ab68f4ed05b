#include "commands/OptionsCommands.h"

#include "base/AppError.h"
#include "base/AppInfo.h"
#include "commands/MainWindowMenus.h"
#include "commands/SharedMembers.h"
#include "controls/Prompter.h"
#include "desktop/RegistryStore.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QWidget>

namespace {

const QString kSettings = QStringLiteral("Settings");

} // namespace

OptionsCommands::OptionsCommands(const SharedMembers& shared, QWidget* window, const MainWindowMenus& menus)
    : QObject(window), m_shared(shared), m_window(window), m_menus(menus)
{
    connectItem(m_menus.optionsminstartup, &OptionsCommands::optionsminstartup_Click);
    connectItem(m_menus.optionsclosestart, &OptionsCommands::optionsclosestart_Click);
    connectItem(m_menus.optionrun, &OptionsCommands::optionrun_Click);
}

void OptionsCommands::connectItem(QAction* item, void (OptionsCommands::*handler)())
{
    connect(item, &QAction::triggered, this, [this, item, handler] {
        // The menu flips a checkable item before it reports the click. The handlers decide from
        // the tick as the user saw it and set it themselves, as they do when called directly.
        item->setChecked(!item->isChecked());
        (this->*handler)();
    });
}

QString OptionsCommands::runValueName()
{
    return AppInfo::productName() + QStringLiteral(" StartUp");
}

QString OptionsCommands::runValueData(const QString& programFolder)
{
    const QString program = QDir::toNativeSeparators(programFolder) + QDir::separator() + AppInfo::productName();
#ifdef Q_OS_WIN
    // Unquoted, a path with spaces could start a different program at log-on.
    return QLatin1Char('"') + program + QStringLiteral(".exe\"");
#else
    // The autostart entry quotes the path in its Exec line itself.
    return program;
#endif
}

QString OptionsCommands::readRunValue()
{
    int flag = 0;
    return RegistryStore::instance().GetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, runValueName(),
                                              flag, QString());
}

void OptionsCommands::toggleSetting(const QString& key, QAction* item)
{
    IniFile& ini = IniFile::instance();
    const QString value = item->isChecked() ? QStringLiteral("false") : QStringLiteral("true");
    try {
        ini.WriteString(kSettings, key, value, m_shared.inifilename);
    } catch (const AppError& error) {
        Prompter::notify(m_window,
                         QStringLiteral("The option \"%1\" could not be saved.\n\n%2")
                             .arg(QString(item->text()).remove(QLatin1Char('&')), error.description()),
                         Prompter::Icon::Warning);
    }
    // Show what the next start will find, whether or not the write went through.
    item->setChecked(WatchListFile::containsTrue(ini.ReadString(kSettings, key, m_shared.inifilename, QString())));
}

void OptionsCommands::optionrun_Click()
{
    RegistryStore& registry = RegistryStore::instance();
    int flag = 0;
    try {
        // What is stored, not the tick, decides whether this click adds or removes the entry.
        if (!readRunValue().isEmpty())
            registry.DeleteValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, runValueName(), flag);
        else
            registry.SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, runValueName(),
                              runValueData(QCoreApplication::applicationDirPath()), 0, flag);
    } catch (const AppError& error) {
        Prompter::notify(m_window,
                         QStringLiteral("Starting %1 at log-on could not be changed.\n\n%2")
                             .arg(AppInfo::productName(), error.description()),
                         Prompter::Icon::Warning);
    }
    m_menus.optionrun->setChecked(!readRunValue().isEmpty());
}
