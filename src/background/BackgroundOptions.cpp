#include "background/BackgroundOptions.h"

#include "base/AppError.h"
#include "engine/LeadingNumber.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

#include <cmath>

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kNotify = QStringLiteral("Notify");
const QString kCheckEvery = QStringLiteral("Check every");

} // namespace

BackgroundOptions::BackgroundOptions(QString inifilename, QObject* parent)
    : QObject(parent), m_inifilename(std::move(inifilename))
{}

int BackgroundOptions::minutesFromText(const QString& stored)
{
    if (stored.trimmed().isEmpty())
        return kDefaultMinutes;
    // Read as a double, so that a huge number is not first cut to the 16-bit range and NaN or
    // infinity never reach an int.
    const double minutes = std::nearbyint(LeadingNumber::toDouble(stored));
    if (!(minutes > 0))
        return 0;
    return minutes >= kMaxMinutes ? kMaxMinutes : int(minutes);
}

QString BackgroundOptions::read(const QString& key) const
{
    return IniFile::instance().ReadString(kSettings, key, m_inifilename, QString());
}

bool BackgroundOptions::write(const QString& key, const QString& value, const QString& what)
{
    try {
        IniFile::instance().WriteString(kSettings, key, value, m_inifilename);
        return true;
    } catch (const AppError& error) {
        emit saveFailed(QStringLiteral("The option \"%1\" could not be saved.\n\n%2").arg(what, error.description()));
        return false;
    }
}

bool BackgroundOptions::notifyEnabled() const
{
    return WatchListFile::isNotFalse(read(kNotify));
}

int BackgroundOptions::checkEveryMinutes() const
{
    return minutesFromText(read(kCheckEvery));
}

bool BackgroundOptions::toggleNotify()
{
    const bool wasOn = notifyEnabled();
    write(kNotify, wasOn ? QStringLiteral("false") : QStringLiteral("true"),
          QStringLiteral("Notify me on the desktop"));
    const bool on = notifyEnabled();
    if (on != wasOn)
        emit notifyChanged(on);
    return on;
}

bool BackgroundOptions::setCheckEveryMinutes(int minutes)
{
    if (!write(kCheckEvery, QString::number(minutes), QStringLiteral("Check again every")))
        return false;
    emit checkEveryChanged(checkEveryMinutes());
    return true;
}
