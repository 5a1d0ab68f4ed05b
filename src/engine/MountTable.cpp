#include "engine/MountTable.h"

#include <QFile>

namespace {

// mountinfo writes a blank, a tab, a line break and a backslash as three octal digits.
QByteArray unescape(const QByteArray& field)
{
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int code = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field.at(i));
    }
    return out;
}

// Whether a file system type is a network or user-space one, whose calls may never return.
bool isShareType(const QByteArray& type)
{
    static const QList<QByteArray> kShares = {"nfs",       "nfs4", "cifs",   "smb3", "smbfs", "9p",    "ceph",
                                              "glusterfs", "fuse", "autofs", "afs",  "ncpfs", "davfs", "lustre"};
    if (kShares.contains(type))
        return true;
    // sshfs, gvfs, rclone and the like; fuseblk is a local disk driven from user space (ntfs-3g).
    return type.startsWith("fuse.") && type != "fuse.fuseblk";
}

} // namespace

MountTable MountTable::read()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    // A file of the proc file system has no size to go by: read until its end.
    if (!file.open(QIODevice::ReadOnly))
        return MountTable();
    return parse(file.readAll());
}

MountTable MountTable::parse(const QByteArray& mountinfo)
{
    MountTable table;
    for (const QByteArray& line : mountinfo.split('\n')) {
        // "36 35 98:0 /root /mnt/point rw,noatime master:1 - ext3 /dev/root rw"
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf(QByteArray("-"));
        if (fields.size() < 5 || dash < 5 || dash + 1 >= fields.size())
            continue;
        Mount mount{unescape(fields.at(4))};
        while (mount.point.size() > 1 && mount.point.endsWith('/'))
            mount.point.chop(1);
        if (!mount.point.startsWith('/'))
            continue;
        const bool share = isShareType(fields.at(dash + 1));
        table.m_mounts.append(mount);
        table.m_shares.append(share);
        table.m_anyShare = table.m_anyShare || share;
        // A later mount on the same point lies on top of the earlier one.
        if (share)
            table.m_sharePoints.insert(mount.point);
        else
            table.m_sharePoints.remove(mount.point);
    }
    return table;
}

int MountTable::mountOf(const QByteArray& path) const
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < m_mounts.size(); ++i) {
        const QByteArray& point = m_mounts.at(i).point;
        const bool holds =
            point == "/" ? path.startsWith('/')
                         : path.startsWith(point) && (path.size() == point.size() || path.at(point.size()) == '/');
        if (holds && point.size() >= bestLength) {
            best = i;
            bestLength = point.size();
        }
    }
    return best;
}
