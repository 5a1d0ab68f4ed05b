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

QString title()
{
    return productName();
}

int versionMajor()
{
    return STALEGUARD_VERSION_MAJOR;
}

int versionMinor()
{
    return STALEGUARD_VERSION_MINOR;
}

int versionRevision()
{
    return STALEGUARD_VERSION_PATCH;
}

QString versionText()
{
    return QStringLiteral("Version %1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
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
