#pragma once

#include <QDeadlineTimer>
#include <QString>

#include "engine/CheckReport.h"

class IniFile;

// The check of a watch list for scripts and monitoring: the refresh's walk with its rules, and
// nothing written. Folder picks are made but not stored, no row map file is written, no question is
// asked and no lock is taken, so it also checks a watch list that it could not write.
namespace WatchListCheck {

// Raises AppError (FileRead) when the watch list does not exist, is a folder or cannot be read
// (on a share, within the deadline). A watch list that reads as garbage is no error: it is read
// by the usual rules. What is not answered by the deadline is reported as unreachable.
CheckReport run(IniFile& ini, const QString& watchList, bool showAll,
                QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

} // namespace WatchListCheck
