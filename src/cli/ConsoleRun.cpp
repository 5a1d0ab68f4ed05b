#include "cli/ConsoleRun.h"

#include "base/AppError.h"
#include "base/AppInfo.h"
#include "cli/CommandLine.h"
#include "engine/CheckReport.h"
#include "engine/WatchListCheck.h"
#include "engine/WatchListFile.h"
#include "store/AtomicSave.h"
#include "store/IniFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr int kUnknown = int(CheckReport::Status::Unknown);

} // namespace

int ConsoleRun::exec(const CommandLine& commandLine)
{
#ifdef SIGPIPE
    // A reader that went away must show as a failed write, not kill the check half way.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    try {
        switch (commandLine.action()) {
        case CommandLine::Action::Help:
            return writeOut(CommandLine::helpText().toUtf8()) ? 0 : kUnknown;
        case CommandLine::Action::Version:
            return writeOut(
                       (AppInfo::productName() + QLatin1Char(' ') + AppInfo::version() + QLatin1Char('\n')).toUtf8())
                       ? 0
                       : kUnknown;
        case CommandLine::Action::Check:
            return check(commandLine);
        case CommandLine::Action::Error:
        case CommandLine::Action::Window:
            break;
        }
        writeError(commandLine.error() + QStringLiteral(" See --help."));
        return kUnknown;
    } catch (const AppError& error) {
        return unknown(error.description(), commandLine);
    } catch (const std::bad_alloc&) {
        return unknown(QStringLiteral("not enough memory for the check"), commandLine);
    } catch (const std::exception& error) {
        return unknown(QString::fromLocal8Bit(error.what()), commandLine);
    }
}

int ConsoleRun::check(const CommandLine& commandLine)
{
    QString watchList = commandLine.watchList();
    if (watchList.isEmpty())
        watchList = WatchListFile::locate(WatchListFile::DataFolder::LookOnly).inifilename;
    const QDeadlineTimer deadline(qint64(commandLine.timeoutSeconds()) * 1000);
    const CheckReport report = WatchListCheck::run(IniFile::instance(), watchList, commandLine.showAll(), deadline);
    // The parse of the watch list is done with, and the report's pieces can take its memory.
    IniFile::instance().clearCache();
    const ReportFormat::Format format = commandLine.format();
    if (!commandLine.output().isEmpty()) {
        const auto failure = AtomicSave::write(
            commandLine.output(), [&](const AtomicSave::Put& put) { return ReportFormat::write(format, report, put); });
        if (failure) {
            writeError(QStringLiteral("could not write \"%1\": %2").arg(commandLine.output(), *failure));
            return kUnknown;
        }
    } else {
        int error = 0;
        const bool written =
            ReportFormat::write(format, report, [&error](QByteArrayView piece) { return putOut(piece, error); });
        if (!finishOut(written, error))
            return kUnknown;
    }
    return int(report.status());
}

int ConsoleRun::unknown(const QString& message, const CommandLine& commandLine)
{
    writeError(message);
    // A monitoring system shows standard output, so it hears about the failure there too.
    if (commandLine.action() == CommandLine::Action::Check && commandLine.format() == ReportFormat::Format::Nagios)
        writeOut(ReportFormat::nagiosUnknown(message));
    return kUnknown;
}

bool ConsoleRun::writeOut(const QByteArray& bytes)
{
    int error = 0;
    const bool written = putOut(bytes, error);
    return finishOut(written, error);
}

bool ConsoleRun::putOut(QByteArrayView bytes, int& error)
{
    if (bytes.isEmpty())
        return true;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()))
        return true;
    error = errno;
    return false;
}

bool ConsoleRun::finishOut(bool written, int error)
{
    if (written) {
        errno = 0;
        if (std::fflush(stdout) == 0 && !std::ferror(stdout))
            return true;
        error = errno;
    }
    writeError(QStringLiteral("could not write the output: %1")
                   .arg(QString::fromLocal8Bit(error ? std::strerror(error) : "write error")));
    return false;
}

void ConsoleRun::writeError(const QString& message)
{
    const QByteArray line = (AppInfo::productName() + QStringLiteral(": ") + message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
}
