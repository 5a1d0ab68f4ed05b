#include "cli/CommandLine.h"

#include "base/AppInfo.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

// A day: longer than any monitoring engine waits, and short enough to add to a clock safely.
constexpr int kLongestTimeout = 86400;

// Options every Qt program with windows takes. They mean nothing to a check, but a window started
// with them (by a session manager, say) must not be turned away.
constexpr const char* kQtValueOptions[] = {
    "platform",     "platformpluginpath", "platformtheme", "plugin",   "qwindowgeometry", "qwindowicon", "qwindowtitle",
    "style",        "stylesheet",         "display",       "geometry", "title",           "name",        "session",
    "qmljsdebugger"};
constexpr const char* kQtFlagOptions[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

struct Options
{
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Check the watch list without opening a window, write a report to "
                                            "standard output and end with 0 (nothing to report), 1 (only changes), "
                                            "2 (an entry is old or missing) or 3 (an entry cannot be reached, or no "
                                            "check possible).")};
    QCommandLineOption all{QStringLiteral("all"), QStringLiteral("With --check: list every entry as \"Show all "
                                                                 "files\" does, postponed ones included.")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("With --check: the report's format, one of %1 (default: text).")
                                  .arg(ReportFormat::names().join(QStringLiteral(", "))),
                              QStringLiteral("format"), QStringLiteral("text")};
    QCommandLineOption watchList{QStringLiteral("watch-list"),
                                 QStringLiteral("With --check: the watch list file to check (default: the one the "
                                                "window uses)."),
                                 QStringLiteral("file")};
    QCommandLineOption output{QStringLiteral("output"),
                              QStringLiteral("With --check: write the report to this file instead, replacing it "
                                             "in one step and only once the report is complete."),
                              QStringLiteral("file")};
    QCommandLineOption timeout{QStringList{QStringLiteral("t"), QStringLiteral("timeout")},
                               QStringLiteral("With --check: end within this many seconds (default: %1); files "
                                              "not answered by then are reported as cannot be reached.")
                                   .arg(CommandLine::kDefaultTimeout),
                               QStringLiteral("seconds")};
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and end.")};
    QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the product name and version and end.")};
};

void setUp(QCommandLineParser& parser, const Options& options)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        AppInfo::productName() +
        QStringLiteral(" reminds you of files that have grown too old or have changed. Without options it opens its "
                       "window; with --check it reports on the watch list for scripts and monitoring."));
    for (const QCommandLineOption& option : {options.check, options.all, options.format, options.watchList,
                                             options.output, options.timeout, options.help, options.version})
        parser.addOption(option);
    for (const char* name : kQtValueOptions) {
        QCommandLineOption option{QString::fromLatin1(name), QString(), QStringLiteral("value")};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlagOptions) {
        QCommandLineOption option{QString::fromLatin1(name)};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

QStringList CommandLine::argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QString CommandLine::helpText()
{
    QCommandLineParser parser;
    const Options options;
    setUp(parser, options);
    return parser.helpText();
}

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine result;
    QCommandLineParser parser;
    const Options options;
    setUp(parser, options);
    const auto fail = [&result](const QString& error) {
        result.m_action = Action::Error;
        result.m_error = error;
        return result;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(options.help)) {
        result.m_action = Action::Help;
        return result;
    }
    if (parser.isSet(options.version)) {
        result.m_action = Action::Version;
        return result;
    }
    const bool check = parser.isSet(options.check);
    for (const QCommandLineOption* option :
         {&options.all, &options.format, &options.watchList, &options.output, &options.timeout}) {
        if (!check && parser.isSet(*option))
            return fail(QStringLiteral("--%1 needs --check.").arg(option->names().constFirst()));
    }
    if (!check)
        return result;

    const QString formatName = parser.value(options.format);
    const auto format = ReportFormat::fromName(formatName);
    if (!format) {
        return fail(QStringLiteral("Unknown format '%1': use one of %2.")
                        .arg(formatName, ReportFormat::names().join(QStringLiteral(", "))));
    }
    if (parser.isSet(options.watchList) && parser.value(options.watchList).isEmpty())
        return fail(QStringLiteral("--watch-list needs a file name."));
    if (parser.isSet(options.output) && parser.value(options.output).isEmpty())
        return fail(QStringLiteral("--output needs a file name."));
    if (parser.isSet(options.timeout)) {
        bool ok = false;
        const int seconds = parser.value(options.timeout).toInt(&ok);
        if (!ok || seconds < 1 || seconds > kLongestTimeout) {
            return fail(QStringLiteral("--timeout needs a whole number of seconds from 1 to %1.").arg(kLongestTimeout));
        }
        result.m_timeout = seconds;
    }
    result.m_output = parser.value(options.output);
    result.m_action = Action::Check;
    result.m_format = *format;
    result.m_showAll = parser.isSet(options.all);
    result.m_watchList = parser.value(options.watchList);
    return result;
}
