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
// The texts of a check's rows, in list order.
QStringList rowTexts(const QList<CheckRow>& rows);

} // namespace TestHelpers
