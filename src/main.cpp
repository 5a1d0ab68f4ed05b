#include "core/AppInfo.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::productName());
    QApplication::setOrganizationName(AppInfo::companyName());
    QApplication::setApplicationVersion(AppInfo::versionText());
    return 0;
}
