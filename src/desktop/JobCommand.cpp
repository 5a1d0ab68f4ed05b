#include "desktop/JobCommand.h"

#include "desktop/DesktopExec.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

std::optional<JobCommand> JobCommand::resolve(const QString& text, QString& why)
{
    const auto refuse = [&why](const QString& reason) {
        why = reason;
        return std::optional<JobCommand>();
    };
    const std::optional<QStringList> words = DesktopExec::split(text);
    if (!words)
        return refuse(QStringLiteral("The command has a \" that is never closed."));
    if (words->isEmpty() || words->front().isEmpty())
        return refuse(QStringLiteral("There is no command to run."));
    const QString name = words->front();
    QString program = name;
    if (!name.contains(QLatin1Char('/'))) {
        program = QStandardPaths::findExecutable(name);
        if (program.isEmpty())
            return refuse(QStringLiteral("There is no program called %1.").arg(name));
    } else if (QDir::isRelativePath(name)) {
        // Relative to what? The program's own folder is no place the user thinks of.
        return refuse(QStringLiteral("Give the whole path of %1, starting with /.").arg(name));
    }
    const QFileInfo info(program);
    if (!info.exists())
        return refuse(QStringLiteral("The program %1 does not exist.").arg(program));
    if (info.isDir())
        return refuse(QStringLiteral("%1 is a folder, not a program.").arg(program));
    if (!info.isExecutable())
        return refuse(QStringLiteral("%1 cannot be run: it is not marked as executable.").arg(program));
    return JobCommand{QDir::cleanPath(program), words->mid(1)};
}
