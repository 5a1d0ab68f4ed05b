#pragma once

#include <QString>

// Whether jobs may run from a watch list file. A job runs whatever command the file names, so the
// file must be the user's own and neither the group nor others may change it; otherwise anyone who
// can write it could run programs as the user.
namespace JobSafety {

// Why jobs do not run from this watch list file, in one line for the user; empty when they do.
QString whyNot(const QString& inifilename);
// The rule itself, over what the system says of the file: its owner, its mode bits and the user
// asking. `name` is the file's name as the user is told it.
QString judge(uint owner, uint mode, uint user, const QString& name);

} // namespace JobSafety
