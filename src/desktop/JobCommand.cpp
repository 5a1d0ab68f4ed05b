#include "desktop/JobCommand.h"

#include "desktop/DesktopExec.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

std::optional<JobCommand> JobCommand::resolve(const QString& text, QString& why)
{
    const std::optional<QStringList> words = DesktopExec::split(text);
    if (!words) {
        why = QStringLiteral("The command has a \" that is never closed.");
        return std::nullopt;
    }
    if (words->isEmpty() || words->front().isEmpty()) {
        why = QStringLiteral("There is no command to run.");
        return std::nullopt;
    }
    const QString name = words->front();
    QString program = name;
    if (!name.contains(QLatin1Char('/'))) {
        program = QStandardPaths::findExecutable(name);
        if (program.isEmpty()) {
            why = QStringLiteral("There is no program called %1.").arg(name);
            return std::nullopt;
        }
    } else if (QDir::isRelativePath(name)) {
        // Relative to what? The program's own folder is no place the user thinks of.
        why = QStringLiteral("Give the whole path of %1, starting with /.").arg(name);
        return std::nullopt;
    }
    const QFileInfo info(program);
    if (!info.exists()) {
        why = QStringLiteral("The program %1 does not exist.").arg(program);
        return std::nullopt;
    }
    if (info.isDir()) {
        why = QStringLiteral("%1 is a folder, not a program.").arg(program);
        return std::nullopt;
    }
    if (!info.isExecutable()) {
        why = QStringLiteral("%1 cannot be run: it is not marked as executable.").arg(program);
        return std::nullopt;
    }
    return JobCommand{QDir::cleanPath(program), words->mid(1)};
}
