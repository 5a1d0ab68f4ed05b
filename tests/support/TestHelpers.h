#pragma once

#include "engine/EntryChecker.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace TestHelpers {

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
// Creates (or rewrites) a file and sets its last-modified time.
void touch(const QString& path, const QDateTime& modified);
// Puts TZ back as it was before a test changed it (unset where it was unset), for dates read from then on.
void restoreZone(const QByteArray& zone);
// The texts of a check's rows, in list order.
QStringList rowTexts(const QList<CheckRow>& rows);
// One entry's section of a watch list: its file name and `keys`, "key=value" lines.
QByteArray entrySection(int entry, const QString& fileName, const QString& keys);
// A value the watch list `ini` holds for entry `entry`, or in its settings; `missing` where it holds none.
QString stored(const QString& ini, int entry, const QString& key, const QString& missing = QString());
QString setting(const QString& ini, const QString& key, const QString& missing = QString());

} // namespace TestHelpers
