#pragma once

#include "engine/EntryChecker.h"

#include <functional>

class FileQuery;
class IniFile;
class MissingFileQuestion;

// What a check hands back, carried out: by the window's refresh and by the checks that run while
// the program sits in the tray alike. `Staleguard --check` carries out none of it.
namespace CheckOutcome {

// Before a check: the row map file describes a list that is about to go.
void dropRowMap(const QString& tempinifilename);
// The folder picks go into the watch list in one locked write, and the row map file is written
// whole. A write that fails raises AppError.
void store(IniFile& ini, const QString& inifilename, const QString& tempinifilename,
           const EntryChecker::Result& result);
// Asks about each gone file in entry order; Yes removes the entry. A file that is back by the time
// its question comes (the user restored it while answering another) is not asked about. No
// question is asked once `stopped` says so (the program is ending).
void askAboutGone(IniFile& ini, const QString& inifilename, const QList<EntryChecker::Gone>& gone, FileQuery& files,
                  MissingFileQuestion& question, const std::function<bool()>& stopped);

} // namespace CheckOutcome
