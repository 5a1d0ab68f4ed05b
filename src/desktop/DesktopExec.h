#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The Exec value of a freedesktop desktop entry for one program path, written and read by the
// Desktop Entry rules: an argument with a reserved character goes in double quotes with `"`, `` ` ``,
// `$` and `\` escaped inside, a literal `%` is written `%%`, and then the string escapes of the file
// format apply on top (so a backslash in a quoted path is stored as four).
namespace DesktopExec {

// The text after "Exec=" that starts exactly this program, with no arguments.
QString encode(const QString& program);
// The inverse of encode for an Exec of one argument. An Exec with several arguments (written by
// hand) comes back as its command line with the file format's escapes undone.
QString decode(const QString& stored);
// A command line split into its program and arguments as an Exec value is (the file format's own
// escapes aside, which a command kept elsewhere does not have): blanks part the arguments, double quotes hold one
// together, and inside them a backslash makes the next `"`, `` ` ``, `$` or `\` stand for itself (any other backslash
// stays). Single quotes, a backslash outside quotes and `%` are plain characters, and nothing else is done to it: no
// shell reads it. nullopt when a double quote is left open.
std::optional<QStringList> split(const QString& line);

// The string escapes of the file format (\s, \n, \t, \r and \\), for any value.
QString escapeString(const QString& text);

} // namespace DesktopExec
