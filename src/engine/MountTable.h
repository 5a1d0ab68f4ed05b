#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>

// The mounted file systems as the system lists them, to tell a network share from a local disk by
// the path alone: asking the share itself is what may never return.
class MountTable
{
public:
    struct Mount
    {
        QByteArray point; // as the system names it, without a trailing separator (the root is "/")
    };

    // The table of this process, read from /proc/self/mountinfo; empty where that cannot be read,
    // which makes every path local.
    static MountTable read();
    // The text of a mountinfo file.
    static MountTable parse(const QByteArray& mountinfo);

    // The index of the innermost mount that holds the absolute path, -1 when none does. Of mounts
    // on the same point the last listed is the one on top.
    int mountOf(const QByteArray& path) const;
    // Whether the mount is a network or user-space file system, whose calls may never return.
    bool isShare(int mount) const { return mount >= 0 && mount < m_mounts.size() && m_shares.at(mount); }
    const Mount& mount(int index) const { return m_mounts.at(index); }
    bool hasShares() const { return m_anyShare; }
    // Whether a path is itself the mount point of a share (the top one of those mounted there).
    bool isShareMountPoint(const QByteArray& path) const { return m_sharePoints.contains(path); }

private:
    QList<Mount> m_mounts;
    QList<bool> m_shares;
    QSet<QByteArray> m_sharePoints;
    bool m_anyShare = false;
};
