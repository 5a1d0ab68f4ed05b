#include "Screenshots.h"

#include <QDir>

namespace Screenshots {

QString path(const QString& fileName)
{
    QString build = qEnvironmentVariable("STALEGUARD_BUILD_DIR");
    if (build.isEmpty())
        build = QDir::currentPath();
    const QString dir = build + QStringLiteral("/e2e");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + fileName;
}

} // namespace Screenshots
