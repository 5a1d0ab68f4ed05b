#pragma once

#include "engine/MountTable.h"

#ifdef Q_OS_UNIX
#include "queryhelper/QueryProtocol.h"

#include <QByteArray>
#include <QHash>

// Where an absolute path leads: onto which share, or to which local path once the links in it are
// followed. Links are read on the local disks alone; the share is never asked, not even about its
// own mount point, whose calls hang with the share. Folders resolved once are taken as they were
// for the rest of the router's life, which is one query's.
class PathRouter
{
public:
    struct Route
    {
        QByteArray path; // with the links of its local part followed
        int share = -1;  // the mount of the share that holds it, -1 when local
        int error = 0;   // errno: a local folder on the way could not be asked
        // By follow() alone: what the local end names, link not followed, or errno in its error.
        QueryProtocol::StatFields named;
    };

    explicit PathRouter(MountTable mounts) : m_mounts(std::move(mounts)) {}

    const MountTable& mounts() const { return m_mounts; }
    // A folder, with every link in it followed. `links` have been followed to get here.
    Route folder(const QByteArray& path, int links = 0);
    // A path's folder as folder() gives it, with the last name as it stands: a link there is not
    // followed, but a share mounted right on it counts.
    Route place(const QByteArray& path, int links = 0);
    // Every link followed, the last name's too, until the path ends on a share or locally.
    Route follow(QByteArray path, int links = 0);

private:
    Route resolve(const QByteArray& path, int links);

    MountTable m_mounts;
    QHash<QByteArray, Route> m_folders;
};
#endif
