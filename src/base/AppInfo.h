#pragma once

#include <QString>

// The program's identity, as CMake's project() declares it.
namespace AppInfo {

QString productName();
QString companyName();
// "1.0.0"
QString version();
// "Version 1.0.0"
QString versionText();
// The desktop's name for the program (launcher, icon, metainfo).
QString appId();
// The maker's web page and e-mail address.
QString homepage();
QString contactAddress();
// Registry-style key under which window positions are kept.
QString windowPositionsKey();
// A helper program of ours by its file name: beside the program, or in its libexec folder.
QString helperProgram(const QString& name);

} // namespace AppInfo
