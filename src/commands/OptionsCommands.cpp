#include "commands/OptionsCommands.h"

#include "core/AppError.h"
#include "core/AppInfo.h"
#include "core/Prompter.h"
#include "core/frmfiledsip.h"
#include "settings/IniFile.h"
#include "settings/RegistryStore.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>

namespace {

const QString kSettings = QStringLiteral("Settings");

bool readsOn(const QString& value)
{
    return value.toLower().contains(QLatin1String("true"));
}

} // namespace

OptionsCommands::OptionsCommands(frmfiledsip& window) : QObject(&window), m_window(window)
{
    connect(m_window.optionsminstartup, &QAction::triggered, this, &OptionsCommands::optionsminstartup_Click);
    connect(m_window.optionsclosestart, &QAction::triggered, this, &OptionsCommands::optionsclosestart_Click);
    connect(m_window.optionrun, &QAction::triggered, this, &OptionsCommands::optionrun_Click);
}

QString OptionsCommands::runValueName()
{
    return AppInfo::productName() + QStringLiteral(" StartUp");
}

QString OptionsCommands::runValueData()
{
    const QString program =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator() + AppInfo::productName();
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
    try {
        ini.WriteString(kSettings, key, item->isChecked() ? QStringLiteral("true") : QStringLiteral("false"),
                        m_window.inifilename);
    } catch (const AppError& error) {
        Prompter::notify(&m_window, QStringLiteral("The option could not be saved.\n\n%1").arg(error.description()),
                         Prompter::Icon::Warning);
    }
    // The action has already flipped its own tick; show what the file really holds.
    item->setChecked(readsOn(ini.ReadString(kSettings, key, m_window.inifilename, QString())));
}

void OptionsCommands::optionsminstartup_Click()
{
    toggleSetting(QStringLiteral("Start in Tray"), m_window.optionsminstartup);
}

void OptionsCommands::optionsclosestart_Click()
{
    toggleSetting(QStringLiteral("Close on Start"), m_window.optionsclosestart);
}

void OptionsCommands::optionrun_Click()
{
    RegistryStore& registry = RegistryStore::instance();
    int flag = 0;
    try {
        const QString current =
            registry.GetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, runValueName(), flag, QString());
        // What is stored, not the tick, decides whether this click adds or removes the entry.
        if (!current.isEmpty())
            registry.DeleteValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, runValueName(), flag);
        else
            registry.SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, runValueName(), runValueData(),
                              0, flag);
    } catch (const AppError& error) {
        Prompter::notify(&m_window,
                         QStringLiteral("Starting %1 at log-in could not be changed.\n\n%2")
                             .arg(AppInfo::productName(), error.description()),
                         Prompter::Icon::Warning);
    }
    m_window.optionrun->setChecked(!readRunValue().isEmpty());
}
