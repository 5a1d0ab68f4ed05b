#include "engine/MountTable.h"
#include "engine/PathRouter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <unistd.h>

// Where a path leads, told from the mount table and the links on the local disks. The shares here
// are not there at all: a router that asked one about anything would find nothing and say so.
class TestPathRouter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mountOfPath_data();
    void mountOfPath();
    void route_data();
    void route();

private:
    QTemporaryDir m_dir;
    QByteArray m_base;
};

void TestPathRouter::initTestCase()
{
    m_base = QFile::encodeName(QDir(m_dir.path()).canonicalPath());
    QVERIFY(QDir().mkpath(QFile::decodeName(m_base) + QStringLiteral("/local/a/b")));
    QFile notes(QFile::decodeName(m_base) + QStringLiteral("/local/notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    const QList<std::pair<QByteArray, const char*>> links{{m_base + "/share/sub", "toshare"},
                                                          {"../share", "intoshare"},
                                                          {m_base + "/share/file", "last"},
                                                          {m_base + "/nested/disk", "tonested"},
                                                          {"none", "dangling"},
                                                          {"loop2", "loop1"},
                                                          {"loop1", "loop2"},
                                                          {"a/b", "deep"}};
    for (const auto& [target, name] : links)
        QVERIFY(::symlink(target.constData(), (m_base + "/local/" + name).constData()) == 0);
}

void TestPathRouter::mountOfPath_data()
{
    QTest::addColumn<QByteArray>("mountinfo");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("share");
    const QByteArray base = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    QTest::newRow("local") << base << QByteArray("/home/a/file") << false;
    QTest::newRow("nfs") << base + "2 1 0:5 / /mnt/nas rw - nfs server:/x rw\n" << QByteArray("/mnt/nas/f") << true;
    QTest::newRow("mount point itself") << base + "2 1 0:5 / /mnt/nas rw - cifs //s/x rw\n"
                                        << QByteArray("/mnt/nas") << true;
    QTest::newRow("name that only starts alike") << base + "2 1 0:5 / /mnt/nas rw - nfs server:/x rw\n"
                                                 << QByteArray("/mnt/nas2/f") << false;
    QTest::newRow("local disk inside a share")
        << base + "2 1 0:5 / /mnt/nas rw - nfs s:/x rw\n3 2 8:2 / /mnt/nas/disk rw - ext4 /dev/sdb rw\n"
        << QByteArray("/mnt/nas/disk/f") << false;
    QTest::newRow("blank in the mount point") << base + "2 1 0:5 / /mnt/my\\040nas rw - fuse.sshfs h:/ rw\n"
                                              << QByteArray("/mnt/my nas/f") << true;
    QTest::newRow("tab and backslash in the mount point") << base + "2 1 0:5 / /mnt/a\\011b\\134c rw - nfs4 s:/x rw\n"
                                                          << QByteArray("/mnt/a\tb\\c/f") << true;
    QTest::newRow("ntfs-3g is a local disk") << base + "2 1 0:5 / /media/win rw - fuseblk /dev/sdc1 rw\n"
                                             << QByteArray("/media/win/f") << false;
    QTest::newRow("top of stacked mounts counts")
        << base + "2 1 0:5 / /net rw - autofs map rw\n3 1 0:6 / /net rw - ext4 /dev/sdd rw\n"
        << QByteArray("/net/f") << false;
    QTest::newRow("no table") << QByteArray() << QByteArray("/mnt/nas/f") << false;
}

void TestPathRouter::mountOfPath()
{
    QFETCH(QByteArray, mountinfo);
    QFETCH(QByteArray, path);
    QFETCH(bool, share);
    const MountTable table = MountTable::parse(mountinfo);
    QCOMPARE(table.isShare(table.mountOf(path)), share);
}

void TestPathRouter::route_data()
{
    QTest::addColumn<QByteArray>("asked"); // how, and the path under the test's folder
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char* what, const char* asked, const QByteArray& expected) {
        QTest::newRow(what) << QByteArray(asked) << expected;
    };
    const QByteArray loop = "error " + QByteArray::number(ELOOP);
    row("local file", "follow local/notes.txt", "local local/notes.txt");
    row("link from local into a share", "follow local/toshare/f", "share share: share/sub/f");
    row("relative link into a share", "follow local/intoshare/x/y", "share share: share/x/y");
    row("last name a link onto a share", "follow local/last", "share share: share/file");
    row("last name's link left as it is", "place local/last", "local local/last");
    row("dangling link", "follow local/dangling", "local local/none missing");
    row("link loop", "follow local/loop1", loop);
    row("link loop on the way", "folder local/loop1/x", loop);
    row(".. across a link", "follow local/deep/../x", "local local/a/x missing");
    row(". and .. without links", "follow local/./a/../notes.txt", "local local/notes.txt");
    row("share's mount point", "follow share", "share share: share");
    row("share's mount point as a folder", "folder share", "share share: share");
    row("name that only starts like a share", "place share2/f", "error " + QByteArray::number(ENOENT));
    row("local disk mounted inside a share", "follow nested/disk/f", "share nested: nested/disk/f");
    row("link to a local disk inside a share", "follow local/tonested/f", "share nested: nested/disk/f");
    row("blank in the mount point", "follow my share/f", "share my share: my share/f");
    row("backslash in the mount point", "place back\\slash/f", "share back\\slash: back\\slash/f");
}

void TestPathRouter::route()
{
    QFETCH(QByteArray, asked);
    QByteArray mountinfo = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    for (const auto& [point, type] : {std::pair{"share", "nfs4"},
                                      {"nested", "fuse.sshfs"},
                                      {"nested/disk", "ext4"},
                                      {"my\\040share", "cifs"},
                                      {"back\\134slash", "fuse.rclone"}})
        mountinfo += "2 1 0:50 / " + m_base + '/' + point + " rw - " + type + " source rw\n";
    PathRouter router(MountTable::parse(mountinfo));
    const qsizetype blank = asked.indexOf(' ');
    const QByteArray how = asked.left(blank);
    const QByteArray path = m_base + '/' + asked.mid(blank + 1);
    const PathRouter::Route route = how == "follow"  ? router.follow(path)
                                    : how == "place" ? router.place(path)
                                                     : router.folder(path);
    const auto relative = [this](const QByteArray& full) { return full.mid(m_base.size() + 1); };
    QByteArray seen = "local " + relative(route.path) + (route.named.error ? " missing" : "");
    if (route.share >= 0)
        seen = "share " + relative(router.mounts().mount(route.share).point) + ": " + relative(route.path);
    else if (route.error)
        seen = "error " + QByteArray::number(route.error);
    QTEST(seen, "expected");
}

QTEST_GUILESS_MAIN(TestPathRouter)
#include "tst_pathrouter.moc"
