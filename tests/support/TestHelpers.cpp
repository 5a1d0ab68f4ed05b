#include "TestHelpers.h"

#include "engine/FileStamp.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

#include <QFile>
#include <QTest>

namespace TestHelpers {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

void restoreZone(const QByteArray& zone)
{
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    FileStamp::refreshZone();
}

void touch(const QString& path, const QDateTime& modified)
{
    QFile f(path);
    if (!f.exists()) {
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
        f.write("x");
        f.close();
    }
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

QStringList rowTexts(const QList<CheckRow>& rows)
{
    QStringList out;
    for (const CheckRow& row : rows)
        out << row.text;
    return out;
}

QByteArray entrySection(int entry, const QString& fileName, const QString& keys)
{
    return QStringLiteral("[file %1]\nfilename=%2\n%3\n").arg(entry).arg(fileName, keys).toUtf8();
}

QString stored(const QString& ini, int entry, const QString& key, const QString& missing)
{
    return IniFile::instance().ReadString(WatchListFile::sectionName(qint16(entry)), key, ini, missing);
}

QString setting(const QString& ini, const QString& key, const QString& missing)
{
    return IniFile::instance().ReadString(QStringLiteral("Settings"), key, ini, missing);
}

} // namespace TestHelpers
