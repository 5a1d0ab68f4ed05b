#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class CommandLine;

// The runs that need no window: help, version, wrong arguments and the check. They need only a
// QCoreApplication, write their report to standard output and end with the monitoring plugins'
// exit codes; every failure is one line on standard error and exit code 3.
class ConsoleRun
{
public:
    static int exec(const CommandLine& commandLine);

private:
    static int check(const CommandLine& commandLine);
    static int unknown(const QString& message, const CommandLine& commandLine);
    // True when every byte reached standard output.
    static bool writeOut(const QByteArray& bytes);
    // Writes to standard output without flushing; a failure sets `error` to the system's reason.
    static bool putOut(QByteArrayView bytes, int& error);
    // Flushes standard output after writes that went as `written` says, the first failure having
    // set `error`; says why on standard error when a byte did not get through.
    static bool finishOut(bool written, int error);
    static void writeError(const QString& message);
};
