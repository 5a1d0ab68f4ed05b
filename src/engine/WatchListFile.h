#pragma once

#include <QString>
#include <QStringView>
#include <optional>

class IniFile;

// Where the watch list file and the row map file live, and the numbering of entries.
namespace WatchListFile {

// Entries are numbered from 0 to this, the largest 16-bit number.
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

// The section of entry n, "file n". Names match without regard to case; the editor's save has
// always written "File n", and a file it made keeps that spelling.
QString sectionName(qint16 entry);
QString savedSectionName(qint16 entry);
// The section of row n of the row map file, "tempfile n".
QString rowSectionName(int row);

// How a stored "true" is read. The readers differ on purpose: each place keeps the rule it has
// always had, so a value written by hand reads there as it always did.
// The list's change reports: only the program's own lower-case "true", anywhere in the value.
bool containsLowerTrue(QStringView value);
// The start-up options and the pop-up's "Update the File Date": "true" in any case, anywhere.
bool containsTrue(QStringView value);
// A removed entry ("Notactive") and the printed report: the whole value, lowered, is "true".
bool isLoweredTrue(QStringView value);
// The editor's change box: the whole value is "true", compared without regard to case.
bool equalsTrueIgnoringCase(QStringView value);
// "Notify": on unless it says "false", so that a missing or mangled value keeps it on.
bool isNotFalse(QStringView value);

// The smallest entry number whose section is missing, has no file name or is removed.
// nullopt when every number up to kLastEntryNumber is taken: the list is full.
std::optional<qint16> nextFreeNumber(IniFile& ini, const QString& inifilename);

// "Share timeout" of the "Settings" section: how long a file query on a share may take, in seconds.
int shareTimeout(IniFile& ini, const QString& inifilename);

} // namespace WatchListFile
