#include "desktop/JobSafety.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace JobSafety {

QString judge(uint owner, uint mode, uint user, const QString& name)
{
#ifdef Q_OS_UNIX
    if (owner != user)
        return QStringLiteral("Jobs do not run: %1 belongs to another user.").arg(name);
    if (mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("Jobs do not run: others may change %1 (chmod go-w fixes it).").arg(name);
    return QString();
#else
    Q_UNUSED(owner);
    Q_UNUSED(mode);
    Q_UNUSED(user);
    return QStringLiteral("Jobs do not run on this system: who may change %1 cannot be told.").arg(name);
#endif
}

QString whyNot(const QString& inifilename)
{
    const QString name = QFileInfo(inifilename).fileName();
#ifdef Q_OS_UNIX
    struct stat st;
    if (inifilename.isEmpty() || ::stat(QFile::encodeName(inifilename).constData(), &st) != 0)
        return QStringLiteral("Jobs do not run: %1 cannot be found.").arg(name);
    return judge(uint(st.st_uid), uint(st.st_mode), uint(::getuid()), name);
#else
    return judge(0, 0, 0, name);
#endif
}

} // namespace JobSafety
