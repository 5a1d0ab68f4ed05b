#include "desktop/DesktopExec.h"

#include <QStringList>

#include <algorithm>

namespace {

bool needsQuotes(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return argument.isEmpty() ||
           std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return reserved.contains(c); });
}

QString quoted(const QString& argument)
{
    QString out = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// Splits a command line by the quoting rules; a quote left open runs to the end, and `open` (when
// given) says whether one was.
QStringList splitArguments(const QString& line, bool* open = nullptr)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (inQuotes && c == QLatin1Char('\\') && i + 1 < line.size() &&
            QStringLiteral("\"`$\\").contains(line[i + 1])) {
            current += line[++i];
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (!inQuotes && isSpace(c)) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << current;
    if (open)
        *open = inQuotes;
    return arguments;
}

QString unescapeString(const QString& stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored[i];
        const QChar next = i + 1 < stored.size() ? stored[i + 1] : QChar();
        const int at = QStringLiteral("snrt\\").indexOf(next);
        if (c != QLatin1Char('\\') || at < 0) {
            out += c;
            continue;
        }
        out += QStringLiteral(" \n\r\t\\")[at];
        ++i;
    }
    return out;
}

} // namespace

namespace DesktopExec {

QString encode(const QString& program)
{
    QString argument = needsQuotes(program) ? quoted(program) : program;
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapeString(argument);
}

QString decode(const QString& stored)
{
    const QString line = unescapeString(stored);
    const QStringList arguments = splitArguments(line);
    QString program = arguments.size() == 1 ? arguments.front() : line.trimmed();
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

std::optional<QStringList> split(const QString& line)
{
    bool open = false;
    QStringList arguments = splitArguments(line, &open);
    if (open)
        return std::nullopt;
    return arguments;
}

QString escapeString(const QString& text)
{
    // The backslash first, so that those of the other escapes are not doubled.
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    out.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    out.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    // A leading blank would be taken for layout.
    if (out.startsWith(QLatin1Char(' ')))
        out.replace(0, 1, QStringLiteral("\\s"));
    return out;
}

} // namespace DesktopExec
