#include "base/AppInfo.h"

#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace AppInfo {

QString productName()
{
    return QStringLiteral(STALEGUARD_PRODUCT_NAME);
}

QString companyName()
{
    return QStringLiteral(STALEGUARD_COMPANY_NAME);
}

QString version()
{
    return QStringLiteral("%1.%2.%3")
        .arg(STALEGUARD_VERSION_MAJOR)
        .arg(STALEGUARD_VERSION_MINOR)
        .arg(STALEGUARD_VERSION_PATCH);
}

QString versionText()
{
    return QStringLiteral("Version ") + version();
}

QString appId()
{
    return QStringLiteral(STALEGUARD_APP_ID);
}

QString homepage()
{
    return QStringLiteral(STALEGUARD_HOMEPAGE);
}

QString contactAddress()
{
    return QStringLiteral(STALEGUARD_CONTACT);
}

QString windowPositionsKey()
{
    return QStringLiteral("Software\\%1\\%2\\Window positions").arg(companyName(), productName());
}

QString helperProgram(const QString& name)
{
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const QString beside = dir + QLatin1Char('/') + name;
    const QString installed = dir + QStringLiteral("/../libexec/staleguard/") + name;
    // The program's own folder is on a local disk; looking there never waits on a share.
    if (!QFileInfo(beside).isExecutable() && QFileInfo(installed).isExecutable())
        return QDir::cleanPath(installed);
    return beside;
}

} // namespace AppInfo
