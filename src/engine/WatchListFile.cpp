#include "engine/WatchListFile.h"

#include "base/AppInfo.h"
#include "engine/FileQuery.h"
#include "engine/LeadingNumber.h"
#include "engine/WatchList.h"
#include "store/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace WatchListFile {

namespace {

Paths pathsIn(const QString& folder)
{
    const QString base = folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
    return Paths{base + AppInfo::productName() + QStringLiteral(".ini"),
                 base + QLatin1Char('$') + AppInfo::productName() + QStringLiteral(".ini")};
}

} // namespace

QString rowSectionName(int row)
{
    return QStringLiteral("tempfile ") + QString::number(row);
}

Paths locate(const QString& programFolder, DataFolder use)
{
    const Paths beside = pathsIn(programFolder);
    const QFileInfo folder(programFolder);
    if ((folder.isDir() && folder.isWritable()) || QFileInfo::exists(beside.inifilename))
        return beside;
    // An installed program cannot write beside itself: keep the user's list in the user's own data folder.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataFolder.isEmpty() || (use == DataFolder::Create && !QDir().mkpath(dataFolder)))
        return beside;
    return pathsIn(QDir::toNativeSeparators(dataFolder));
}

Paths locate(DataFolder use)
{
    return locate(QCoreApplication::applicationDirPath(), use);
}

QString sectionName(qint16 entry)
{
    return QStringLiteral("file ") + QString::number(entry);
}

QString savedSectionName(qint16 entry)
{
    return QStringLiteral("File ") + QString::number(entry);
}

bool containsLowerTrue(QStringView value)
{
    return value.contains(QLatin1String("true"));
}

bool containsTrue(QStringView value)
{
    return value.contains(QLatin1String("true"), Qt::CaseInsensitive);
}

bool isLoweredTrue(QStringView value)
{
    return value.toString().toLower() == QLatin1String("true");
}

bool equalsTrueIgnoringCase(QStringView value)
{
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

bool isNotFalse(QStringView value)
{
    return value.trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

std::optional<qint16> nextFreeNumber(IniFile& ini, const QString& inifilename)
{
    return WatchList::read(ini, inifilename).nextFreeNumber();
}

int shareTimeout(IniFile& ini, const QString& inifilename)
{
    return FileQuery::shareTimeoutSeconds(
        ini.ReadString(QStringLiteral("Settings"), QStringLiteral("Share timeout"), inifilename, QString()));
}

} // namespace WatchListFile
