#include "engine/WatchListFile.h"

#include "base/AppInfo.h"
#include "engine/FileQuery.h"
#include "engine/LeadingNumber.h"
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

NumberedName sectionNameOnStack(qint16 entry)
{
    return NumberedName(QLatin1String("file "), entry);
}

NumberedName rowSectionName(int row)
{
    return NumberedName(QLatin1String("tempfile "), row);
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
    return sectionNameOnStack(entry).view().toString();
}

QString savedSectionName(qint16 entry)
{
    return NumberedName(QLatin1String("File "), entry).view().toString();
}

bool containsLowerTrue(QStringView value)
{
    // Read for every entry, and most often "true" or "false" itself: shorter than a search is worth.
    for (qsizetype i = 0; i + 4 <= value.size(); ++i) {
        if (value[i] == u't' && value[i + 1] == u'r' && value[i + 2] == u'u' && value[i + 3] == u'e')
            return true;
    }
    return false;
}

bool containsTrue(QStringView value)
{
    return value.contains(QLatin1String("true"), Qt::CaseInsensitive);
}

bool isLoweredTrue(QStringView value)
{
    // Only a four-letter text can lower to "true", so no other needs a lowered copy.
    return value.size() == 4 && value.toString().toLower() == QLatin1String("true");
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
    // A file that cannot be read holds no entry.
    const auto doc = ini.Document(inifilename);
    if (!doc)
        return 0;
    for (int n = 0; n <= kLastEntryNumber; ++n) {
        const int section = doc->sectionNumber(sectionName(static_cast<qint16>(n)));
        const bool removed = isLoweredTrue(doc->value(section, QStringLiteral("Notactive")).value_or(QString()));
        if (removed || doc->value(section, QStringLiteral("filename")).value_or(QString()).isEmpty())
            return static_cast<qint16>(n);
    }
    return std::nullopt;
}

int shareTimeout(IniFile& ini, const QString& inifilename)
{
    return FileQuery::shareTimeoutSeconds(
        ini.ReadString(QStringLiteral("Settings"), QStringLiteral("Share timeout"), inifilename, QString()));
}

} // namespace WatchListFile
