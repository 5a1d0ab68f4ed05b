#pragma once

#include <QDateTime>
#include <QString>

// The editor's line about the chosen file.
namespace FileInfoLine {

// "File Last Changed <long date> and is N days old", N counted in midnights up to `now`.
QString forChange(const QDateTime& modified, const QDateTime& now);
// Shown while a folder entry's folder holds no file its pattern takes.
QString noneMatches();
// Shown while the chosen file cannot be asked about: a share that does not answer, say.
QString unreachable(const QString& why);

} // namespace FileInfoLine
