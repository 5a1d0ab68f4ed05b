#pragma once

#include <QString>

class IniFile;

// The values of one entry that the editor shows, read with the defaults the editor has always used.
struct StoredEntry
{
    QString fileName;
    qint16 days = 1;
    QString description;
    bool adviseChanges = false;
    int type = -1;        // -1 fixed file, 0 oldest, 1 newest of the folder
    QString pattern;      // "file pattern", as stored
    QString smallestSize; // "smallest size", as stored

    static StoredEntry read(IniFile& ini, const QString& inifilename, qint16 entry);
};
