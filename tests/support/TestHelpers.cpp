#include "TestHelpers.h"

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

} // namespace TestHelpers
