#pragma once

#include <QString>
#include <optional>

class IniFile;

// Where the watch list file and the row map file live, and the numbering of entries.
namespace WatchListFile {

constexpr qint16 kLastEntryNumber = 32767;

struct Paths
{
    QString inifilename;     // <folder>/Staleguard.ini
    QString tempinifilename; // <folder>/$Staleguard.ini
};

// Beside the program; when the program's folder is not writable and holds no watch list file
// (an installed program), in the per-user data folder, created when needed unless only looked at.
enum class DataFolder
{
    Create,
    LookOnly
};
Paths locate(const QString& programFolder, DataFolder dataFolder = DataFolder::Create);
Paths locate(DataFolder dataFolder = DataFolder::Create);

// "file " + n, and "File " + n as the editor's save builds it.
QString sectionName(qint16 entry);
QString rowSectionName(int row);

// The smallest entry number whose section is missing, has no file name or is removed.
// nullopt when every number from 0 to 32767 is taken: the list is full.
std::optional<qint16> nextFreeNumber(IniFile& ini, const QString& inifilename);

// The entry number shown in a row of the main list, by the row map file; -1 for no row.
qint16 entryForRow(IniFile& ini, const QString& tempinifilename, int row);

// "Share timeout" of the "Settings" section: how long a file query on a share may take, in seconds.
int shareTimeout(IniFile& ini, const QString& inifilename);

} // namespace WatchListFile
