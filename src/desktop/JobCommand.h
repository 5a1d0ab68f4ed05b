#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command that makes an entry's file, ready to start: its program found and its arguments
// split. Nothing here starts anything.
struct JobCommand
{
    QString program; // by its full path
    QStringList arguments;

    // The command as stored, split as a desktop entry's Exec line is (DesktopExec::split), its
    // program taken by its path when the name holds a "/" and looked for on PATH when it does not.
    // nullopt when it cannot run, with why in `why`: no command, a quote left open, a relative path,
    // no such program, a folder, or a file that may not be run.
    static std::optional<JobCommand> resolve(const QString& text, QString& why);
};
