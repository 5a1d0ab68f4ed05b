#pragma once

#include <QDateTime>
#include <QString>

// The main window's shared members: what its commands, its parts and the editor read and set
// between them. The window holds them; each command is handed them when it is made, so that no
// file has to reach the window for them.
struct SharedMembers
{
    qint16 cnt = 0; // the entry number after the one that ended the last walk
    bool editnotnew = false;
    qint16 filenumber = 0;
    QString inifilename;
    QString tempinifilename;
    QDateTime starttime;
};
