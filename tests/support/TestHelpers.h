#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace TestHelpers {

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
// Creates (or rewrites) a file and sets its last-modified time.
void touch(const QString& path, const QDateTime& modified);

} // namespace TestHelpers
