#pragma once

#include "engine/EntryChecker.h"

#include <functional>

class FileQuery;
class IniFile;
class MissingFileQuestion;

// The check as the window's refresh and the checks that run while the program sits in the tray
// both run it, and what it hands back carried out. `Staleguard --check` carries out none of it.
namespace CheckRun {

struct Options
{
    bool showAll = false;
    bool report = false;            // fills the result's entries
    std::function<void()> progress; // once per entry examined
    std::function<bool()> stopped;  // once it says so, the files are no longer waited for and nothing is written
};
// The row map file dropped, the watch list read once and every entry checked; unless stopped on
// the way, the folder picks and the row map are stored. Raises AppError when a write fails.
EntryChecker::Result run(IniFile& ini, const QString& inifilename, const QString& tempinifilename,
                         const Options& options);

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

} // namespace CheckRun
