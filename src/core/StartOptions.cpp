#include "core/StartOptions.h"

#include "commands/OptionsCommands.h"
#include "core/Clock.h"
#include "core/frmfiledsip.h"
#include "settings/IniFile.h"

#include <QAction>
#include <QListWidget>
#include <QTimer>

namespace {

bool optionIsOn(const QString& value)
{
    return value.toLower().contains(QLatin1String("true"));
}

void readWatchListOptions(frmfiledsip& w)
{
    IniFile& ini = IniFile::instance();
    const QString settings = QStringLiteral("Settings");
    if (optionIsOn(ini.ReadString(settings, QStringLiteral("Start in Tray"), w.inifilename, QStringLiteral("false")))) {
        w.optionsminstartup->setChecked(true);
        w.minimizeAtStart();
    }
    if (optionIsOn(ini.ReadString(settings, QStringLiteral("Close on Start"), w.inifilename, QString()))) {
        w.optionsclosestart->setChecked(true);
        if (w.listoldfiles->count() == 0) {
            w.starttime = Clock::now();
            w.Timerclosestart->start();
        }
    }
}

bool runsAtLogon()
{
    return !OptionsCommands::readRunValue().isEmpty();
}

} // namespace

namespace StartOptions {

void apply(frmfiledsip& window)
{
    readWatchListOptions(window);
    window.optionrun->setChecked(runsAtLogon());
}

} // namespace StartOptions
