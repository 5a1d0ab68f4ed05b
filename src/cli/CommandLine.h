#pragma once

#include <QString>
#include <QStringList>

#include "engine/ReportFormat.h"

// What the command line asks for. It is read before any application object exists, because a check
// must never start the window system; Qt's own window options pass through for the window's run.
class CommandLine
{
public:
    enum class Action
    {
        Window,
        Help,
        Version,
        Check,
        Error // the arguments are wrong: error() says how
    };

    static CommandLine parse(const QStringList& arguments);
    static QStringList argumentsOf(int argc, char** argv);
    // The help text; the program's name in it comes from the running application.
    static QString helpText();

    Action action() const { return m_action; }
    // Empty for the watch list the window would use.
    const QString& watchList() const { return m_watchList; }
    bool showAll() const { return m_showAll; }
    ReportFormat::Format format() const { return m_format; }
    // Empty for standard output.
    const QString& output() const { return m_output; }
    // The whole check ends within this many seconds.
    int timeoutSeconds() const { return m_timeout; }
    static constexpr int kDefaultTimeout = 10;
    const QString& error() const { return m_error; }

private:
    Action m_action = Action::Window;
    QString m_watchList;
    bool m_showAll = false;
    ReportFormat::Format m_format = ReportFormat::Format::Text;
    QString m_output;
    int m_timeout = kDefaultTimeout;
    QString m_error;
};
