#include "base/AppInfo.h"

#include "Version.h"

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

} // namespace AppInfo
