#pragma once

#include <QString>

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

// The string escapes of the file format (\s, \n, \t, \r and \\), for any value.
QString escapeString(const QString& text);
QString unescapeString(const QString& stored);

} // namespace DesktopExec
