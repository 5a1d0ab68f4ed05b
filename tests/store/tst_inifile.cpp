#include "ForkedCall.h"
#include "PermissionsApply.h"
#include "TestHelpers.h"
#include "base/AppError.h"
#include "store/AtomicSave.h"
#include "store/FileWriteLock.h"
#include "store/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsByTheRules_data();
    void readsByTheRules();
    void writeKeepsEveryOtherByte_data();
    void writeKeepsEveryOtherByte();
    void valuesReadBackAsWritten_data();
    void valuesReadBackAsWritten();
    void fileExistsOnlyForFiles();
    void versionOfTheSameTimeAndSize_data();
    void versionOfTheSameTimeAndSize();
    void writeKeepsAnotherCopysChange();
    void failedWriteLeavesTheFileIntact_data();
    void failedWriteLeavesTheFileIntact();
    void unreadableFileIsNeverOverwritten();
    void saveThatDoesNotFitFails_data();
    void saveThatDoesNotFitFails();
    void savedInPiecesOrNotAtAll();
    void lockThatCannotBeHadFails_data();
    void lockThatCannotBeHadFails();
    void lockIsBrokenOnlyWhenItsHolderCannotLetGo_data();
    void lockIsBrokenOnlyWhenItsHolderCannotLetGo();
    void twoProcessesWritingAtOnceLoseNothing();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QString kNone = QStringLiteral("<default>");

QProcess* startSelf(QObject* parent, const QStringList& arguments)
{
    auto* process = new QProcess(parent);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(), arguments);
    return process;
}

} // namespace

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    IniFile::instance().clearCache();
}

void TestIniFile::readsByTheRules_data()
{
    QTest::addColumn<QByteArray>("file"); // "<missing>" for no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray entry("[file 0]\r\nFileName=C:\\a.txt\r\nDays = 7 \r\nnon-fixed file type=\r\n");
    QTest::newRow("missing file") << QByteArray("<missing>") << "file 0"
                                  << "days" << kNone;
    QTest::newRow("other case") << entry << "FILE 0"
                                << "DAYS"
                                << "7";
    QTest::newRow("missing section") << entry << "file 1"
                                     << "days" << kNone;
    QTest::newRow("missing key") << entry << "file 0"
                                 << "Postponedate" << kNone;
    QTest::newRow("empty value") << entry << "file 0"
                                 << "non-fixed file type" << kNone;
    QTest::newRow("empty quotes") << QByteArray("[s]\nk=\"\"\n") << "s"
                                  << "k" << kNone;
    QTest::newRow("tabs and quotes") << QByteArray("[s]\n\tk\t=\t' a b '\t\n") << "s"
                                     << "k"
                                     << " a b ";
    QTest::newRow("first of duplicates") << QByteArray("[s]\nk=1\n[S]\nk=2\nk=3\n") << "s"
                                         << "k"
                                         << "1";
    QTest::newRow("comment") << QByteArray("[s]\n; k=1\nk=2\n") << "s"
                             << "k"
                             << "2";
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF[s]\nk=1\n") << "s"
                         << "k"
                         << "1";
    QTest::newRow("windows-1252") << QByteArray("[s]\nk=Gr\xFC\xDF\x65 \x93x\x94\n") << "s"
                                  << "k"
                                  << QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                                                       "e \xE2\x80\x9Cx\xE2\x80\x9D");
}

void TestIniFile::readsByTheRules()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    if (file != "<missing>")
        TestHelpers::writeAll(path("w.ini"), file);
    QCOMPARE(IniFile::instance().ReadString(section, key, path("w.ini"), kNone), expected);
}

void TestIniFile::writeKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("before"); // "<missing>" for no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray("<missing>") << "Settings"
                              << "Start in Tray"
                              << "true" << QByteArray("[Settings]\nStart in Tray=true\n");
    QTest::newRow("stored name's case kept, crlf and bom kept")
        << QByteArray("\xEF\xBB\xBF; list\r\n[File 0]\r\nFileName=a\r\n\r\nX=1\r\n[other]\r\nq=2\r\n") << "file 0"
        << "FILENAME"
        << "b" << QByteArray("\xEF\xBB\xBF; list\r\n[File 0]\r\nFileName=b\r\n\r\nX=1\r\n[other]\r\nq=2\r\n");
    QTest::newRow("new key after the section's last key")
        << QByteArray("[a]\r\nk=1\r\n; note\r\n\r\n[b]\r\n") << "A"
        << "new"
        << "v" << QByteArray("[a]\r\nk=1\r\nnew=v\r\n; note\r\n\r\n[b]\r\n");
    QTest::newRow("only the first duplicate changes") << QByteArray("[a]\nk=1\nk=2\n[a]\nk=3\n") << "a"
                                                      << "k"
                                                      << "9" << QByteArray("[a]\nk=9\nk=2\n[a]\nk=3\n");
    QTest::newRow("windows-1252 bytes stay, even undefined ones")
        << QByteArray("[a]\nd=\xE4\x81\x8D\x8F\x90\x9D\x80\nk=1\n") << "a"
        << "k" << QString::fromUtf8("\xC3\xBC") << QByteArray("[a]\nd=\xE4\x81\x8D\x8F\x90\x9D\x80\nk=\xFC\n");
    QTest::newRow("a second byte order mark is text")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[a]\nk=1\n") << "a"
        << "k"
        << "2" << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[a]\nk=1\n[a]\nk=2\n");
    QTest::newRow("writing empty") << QByteArray("[file 3]\nnon-fixed file type=1\n") << "file 3"
                                   << "non-fixed file type"
                                   << "" << QByteArray("[file 3]\nnon-fixed file type=\n");
}

void TestIniFile::writeKeepsEveryOtherByte()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (before != "<missing>")
        TestHelpers::writeAll(path("w.ini"), before);
    IniFile::instance().WriteString(section, key, value, path("w.ini"));
    QCOMPARE(TestHelpers::readAll(path("w.ini")), after);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"w.ini"});
}

void TestIniFile::valuesReadBackAsWritten_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty reads as default") << "" << kNone;
    QTest::newRow("blanks at the ends") << "  Monthly report\t"
                                        << "  Monthly report\t";
    QTest::newRow("in quotes") << "\"quoted\""
                               << "\"quoted\"";
    QTest::newRow("in single quotes") << "'x'"
                                      << "'x'";
    QTest::newRow("one quote") << "\""
                               << "\"";
    QTest::newRow("equals and semicolon") << "a=b; c"
                                          << "a=b; c";
    QTest::newRow("section-like") << "[file 9]"
                                  << "[file 9]";
    QTest::newRow("non-ASCII") << QString::fromUtf8("K\xC3\xA4se \xE2\x82\xAC \xE6\x97\xA5")
                               << QString::fromUtf8("K\xC3\xA4se \xE2\x82\xAC \xE6\x97\xA5");
    QTest::newRow("line break becomes a blank") << "a\r\nb"
                                                << "a  b";
}

void TestIniFile::valuesReadBackAsWritten()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    auto& ini = IniFile::instance();
    ini.WriteString("file 0", "Description", value, path("w.ini"));
    ini.WriteString("file 0", "days", "7", path("w.ini"));
    QCOMPARE(ini.ReadString("file 0", "Description", path("w.ini"), kNone), expected);
    ini.clearCache(); // and from the file itself
    QCOMPARE(ini.ReadString("file 0", "description", path("w.ini"), kNone), expected);
    QCOMPARE(ini.ReadString("file 0", "days", path("w.ini"), kNone), QStringLiteral("7"));
}

void TestIniFile::fileExistsOnlyForFiles()
{
    const auto& ini = IniFile::instance();
    TestHelpers::writeAll(path("f.txt"), "x");
    QVERIFY(QDir().mkpath(path("folder")));
    QVERIFY(ini.FileExists(path("f.txt")));
    QVERIFY(!ini.FileExists(path("folder")));
    QVERIFY(!ini.FileExists(path("missing.txt")));
    QVERIFY(!ini.FileExists(QString()));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(path("f.txt"), path("link")));
    QVERIFY(QFile::link(path("gone.txt"), path("dangling")));
    QVERIFY(QFile::link(path("folder"), path("folderlink")));
    QVERIFY(ini.FileExists(path("link")));
    QVERIFY(!ini.FileExists(path("dangling")));
    QVERIFY(!ini.FileExists(path("folderlink")));
#endif
}

#ifdef Q_OS_UNIX
namespace {

struct timespec mtimeOf(const QString& file)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(file).constData(), &st);
    return st.st_mtim;
}

void setMtime(const QString& file, const struct timespec& mtime)
{
    const struct timespec times[2] = {mtime, mtime};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
}

QString readK(const QString& file)
{
    return IniFile::instance().ReadString("s", "k", file, kNone);
}

} // namespace
#endif

void TestIniFile::versionOfTheSameTimeAndSize_data()
{
    QTest::addColumn<bool>("renamed");
    // Another copy replaces the file by rename, within the same tick of the file system's clock:
    // only the file's identity tells the versions apart. Again and again, since a freed identity
    // may come back.
    QTest::newRow("replaced by another copy") << true;
    // Rewritten in place with the time put back: to the cache this is the file it parsed before,
    // so a read must answer from the cache rather than parse the file again.
    QTest::newRow("rewritten in place") << false;
}

void TestIniFile::versionOfTheSameTimeAndSize()
{
#ifndef Q_OS_UNIX
    QSKIP("Needs nanosecond file times");
#else
    QFETCH(bool, renamed);
    TestHelpers::writeAll(path("w.ini"), "[s]\nk=1\n");
    QCOMPARE(readK(path("w.ini")), QStringLiteral("1"));
    const struct timespec mtime = mtimeOf(path("w.ini"));
    QString expected = QStringLiteral("1");
    for (const char* value : {"2", "3", "4"}) {
        const QString written = path(renamed ? "new.ini" : "w.ini");
        TestHelpers::writeAll(written, QByteArray("[s]\nk=") + value + "\n");
        setMtime(written, mtime);
        if (renamed) {
            QVERIFY(QFile::remove(path("w.ini")));
            QVERIFY(QFile::rename(written, path("w.ini")));
            expected = QString::fromLatin1(value);
        }
        for (int i = 0; i < 100; ++i)
            QCOMPARE(readK(path("w.ini")), expected);
    }
    IniFile::instance().clearCache();
    QCOMPARE(readK(path("w.ini")), QStringLiteral("4"));
    // A change of size or time alone is seen too.
    TestHelpers::writeAll(path("w.ini"), "[s]\nk=55\n");
    QCOMPARE(readK(path("w.ini")), QStringLiteral("55"));
#endif
}

void TestIniFile::writeKeepsAnotherCopysChange()
{
    // A write starts from the file on disk: another copy's change made since the last read
    // survives, and the reads after the write see both.
    auto& ini = IniFile::instance();
    const QString file = path("w.ini");
    TestHelpers::writeAll(file, "[s]\nk=1\n");
    QCOMPARE(ini.ReadString("s", "k", file, kNone), QStringLiteral("1"));
    const auto before = ini.Document(file);
    TestHelpers::writeAll(path("new.ini"), "[s]\nk=1\nother=2\n");
    QVERIFY(QFile::remove(file));
    QVERIFY(QFile::rename(path("new.ini"), file));
    ini.WriteString("s", "mine", "3", file);
    QCOMPARE(ini.ReadString("s", "other", file, kNone), QStringLiteral("2"));
    QCOMPARE(ini.Document(file)->value(QStringLiteral("s"), QStringLiteral("mine")), QStringLiteral("3"));
    // A parse handed out before stays as it was.
    QCOMPARE(before->value(QStringLiteral("s"), QStringLiteral("other")), std::nullopt);
    ini.ReplaceFile(file, "[s]\nmine=4\n");
    QCOMPARE(ini.ReadString("s", "mine", file, kNone), QStringLiteral("4"));
    QCOMPARE(TestHelpers::readAll(file), QByteArray("[s]\nmine=4\n"));
}

void TestIniFile::failedWriteLeavesTheFileIntact_data()
{
    QTest::addColumn<bool>("folderReadOnly");
    QTest::newRow("read-only folder") << true;
    QTest::newRow("read-only file") << false;
}

void TestIniFile::failedWriteLeavesTheFileIntact()
{
    QFETCH(bool, folderReadOnly);
    const QByteArray original("; keep\r\n[file 0]\r\nFileName=a\r\n");
    TestHelpers::writeAll(path("w.ini"), original);
    auto& ini = IniFile::instance();
    QCOMPARE(ini.ReadString("file 0", "FileName", path("w.ini"), kNone), QStringLiteral("a"));
    const QString target = folderReadOnly ? m_dir->path() : path("w.ini");
    const auto writable = QFile::permissions(target);
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
    {
        PermissionsApply permissions;
        if (!permissions.ok()) {
            QFile::setPermissions(target, writable);
            QSKIP("Running as root without the right to drop capabilities");
        }
        try {
            ini.WriteString("file 0", "FileName", "b", path("w.ini"));
            QFile::setPermissions(target, writable);
            QFAIL("The write reported success");
        } catch (const AppError& e) {
            QCOMPARE(e.number(), int(AppError::FileWrite));
            QVERIFY2(e.description().contains(path("w.ini")), qPrintable(e.description()));
        }
    }
    QVERIFY(QFile::setPermissions(target, writable));
    QCOMPARE(TestHelpers::readAll(path("w.ini")), original);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"w.ini"});
    QCOMPARE(ini.ReadString("file 0", "FileName", path("w.ini"), kNone), QStringLiteral("a"));
}

void TestIniFile::unreadableFileIsNeverOverwritten()
{
    const QByteArray original("[file 0]\nFileName=a\n");
    TestHelpers::writeAll(path("w.ini"), original);
    QVERIFY(QFile::setPermissions(path("w.ini"), QFile::WriteOwner));
    {
        PermissionsApply permissions;
        if (!permissions.ok())
            QSKIP("Running as root without the right to drop capabilities");
        auto& ini = IniFile::instance();
        QCOMPARE(ini.ReadString("file 0", "FileName", path("w.ini"), kNone), kNone);
        QVERIFY_THROWS_EXCEPTION(AppError, ini.WriteString("file 0", "Days", "3", path("w.ini")));
    }
    QVERIFY(QFile::setPermissions(path("w.ini"), QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(TestHelpers::readAll(path("w.ini")), original);
}

namespace {

// About 8 KiB of entries, in the shape the program writes them.
QByteArray watchList(int entries)
{
    QByteArray list;
    for (int n = 0; n < entries; ++n) {
        list += QStringLiteral("[File %1]\r\nfilename=/home/user/Documents/report-%1.txt\r\ndays=5\r\n"
                               "description=Report %1\r\n")
                    .arg(n)
                    .toUtf8();
    }
    return list;
}

#ifdef Q_OS_LINUX
// A small tmpfs over a folder, or another file bound over a file, for the length of a test.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(const QString& folder, const QString& boundFrom = QString())
        : m_folder(QFile::encodeName(folder))
    {
        m_mounted = boundFrom.isEmpty() ? ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=64k") == 0
                                        : ::mount(QFile::encodeName(boundFrom).constData(), m_folder.constData(),
                                                  nullptr, MS_BIND, nullptr) == 0;
        if (!m_mounted)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    const QString& error() const { return m_error; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
    QString m_error;
};

// Fills the file system of the file until only `pages` pages stay free.
void fillAllBut(const QString& filler, int pages)
{
    QFile file(filler);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray page(4096, 'f');
    while (file.write(page) == page.size()) {
    }
    file.close();
    QVERIFY(file.resize(qMax<qint64>(0, file.size() - pages * page.size())));
}
#endif

} // namespace

void TestIniFile::saveThatDoesNotFitFails_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file size limit") << "limit"
                                     << "File too large";
    QTest::newRow("full file system") << "full"
                                      << "No space left on device";
    // Every byte is written, and only the last step, the rename over the old file, fails.
    QTest::newRow("a file bound over it") << "bound"
                                          << "Device or resource busy";
}

void TestIniFile::saveThatDoesNotFitFails()
{
#ifdef Q_OS_LINUX
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    const QString folder = path("disk");
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + "/w.ini";
    std::optional<SmallFileSystem> disk;
    if (obstacle == "full")
        disk.emplace(folder);
    const QByteArray original = watchList(95);
    QVERIFY(original.size() > 8192 && original.size() < 8500);
    TestHelpers::writeAll(file, original);
    if (obstacle == "bound") {
        TestHelpers::writeAll(path("bound.ini"), original);
        disk.emplace(file, path("bound.ini"));
    }
    if (disk && !disk->mounted())
        QSKIP(qPrintable("Mounting needs the right to mount (root), which this run lacks: " + disk->error()));
    if (obstacle == "full")
        fillAllBut(folder + "/filler", 2); // one page for the lock file, one for part of the new list
    const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);

    ForkedCall::Limits limits;
    if (obstacle == "limit")
        limits.fileSize = 8192;
    const auto outcome = ForkedCall::run(limits, [&] {
        try {
            IniFile::instance().WriteString("File 94", "description", "Report 94, now with a longer name", file);
            return QByteArray("saved");
        } catch (const AppError& e) {
            return e.description().toUtf8();
        }
    });
    QVERIFY(outcome.returned);
    const QString message = QString::fromUtf8(outcome.text);
    QVERIFY2(message.contains(file) && message.contains(reason), qPrintable(message));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
    if (obstacle == "bound")
        disk.reset(); // the old file lies under the bound one
    QCOMPARE(TestHelpers::readAll(file), original);
#else
    QSKIP("Needs file size limits and tmpfs");
#endif
}

void TestIniFile::savedInPiecesOrNotAtAll()
{
    const QString file = path("report.prom");
    TestHelpers::writeAll(file, "old\n");
    const auto pieces = [](const AtomicSave::Put& put) { return put("a ") && put("b\n"); };
    QCOMPARE(AtomicSave::write(file, pieces), std::nullopt);
    QCOMPARE(TestHelpers::readAll(file), QByteArray("a b\n"));

    // Contents that stop short, or fail with an error, leave the last good file and nothing beside it.
    const QStringList before = QFileInfo(file).dir().entryList(QDir::Files | QDir::Hidden);
    QVERIFY(AtomicSave::write(file, [](const AtomicSave::Put& put) { return put("half") && false; }));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, AtomicSave::write(file, [](const AtomicSave::Put& put) -> bool {
                                 put("half");
                                 throw std::runtime_error("no more");
                             }));
    QCOMPARE(TestHelpers::readAll(file), QByteArray("a b\n"));
    QCOMPARE(QFileInfo(file).dir().entryList(QDir::Files | QDir::Hidden), before);
}

void TestIniFile::lockThatCannotBeHadFails_data()
{
    QTest::addColumn<QString>("obstruction");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder") << "folder"
                            << "is a folder";
    QTest::newRow("dangling link") << "link"
                                   << "is a link to nothing";
    QTest::newRow("dead holder's lock, not removable") << "foreign"
                                                       << "Permission denied";
    // Waited for, but not for ever: a hung copy must not hang this one.
    QTest::newRow("held for good") << "held"
                                   << "another program keeps it locked";
}

void TestIniFile::lockThatCannotBeHadFails()
{
    QFETCH(QString, obstruction);
    QFETCH(QString, reason);
    const QString lock = FileWriteLock::lockPathFor(path("w.ini"));
    QObject holders;
    const auto stopHolders = qScopeGuard([&holders] {
        for (QProcess* holder : holders.findChildren<QProcess*>()) {
            holder->kill();
            holder->waitForFinished();
        }
    });
    if (obstruction == "folder") {
        QVERIFY(QDir().mkdir(lock));
    } else if (obstruction == "link") {
        QVERIFY(QFile::link(path("nowhere"), lock));
    } else if (obstruction == "held") {
        QVERIFY(startSelf(&holders, {"--hold-lock", path("w.ini"), "600000"})->waitForReadyRead(20000));
    } else {
        // The lock of a process that has ended, in a file this user may not write.
        QProcess* holder = startSelf(this, {"--hold-lock", path("w.ini"), "600000"});
        QVERIFY(holder->waitForReadyRead(20000));
        holder->kill();
        QVERIFY(holder->waitForFinished(20000));
        QVERIFY(QFile::setPermissions(lock, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    PermissionsApply permissions;
    if (!permissions.ok())
        QSKIP("Running as root without the right to drop capabilities");
    QElapsedTimer timer;
    timer.start();
    try {
        IniFile::instance().WriteString("s", "k", "v", path("w.ini"));
        QFAIL("The write reported success");
    } catch (const AppError& e) {
        QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
    }
    QVERIFY2(timer.elapsed() < (obstruction == "held" ? 20000 : 3000), qPrintable(QString::number(timer.elapsed())));
}

void TestIniFile::lockIsBrokenOnlyWhenItsHolderCannotLetGo_data()
{
    QTest::addColumn<bool>("holderEnds");  // else it lets go after a while, and the write waits for it
    QTest::addColumn<int>("emptyFileAge"); // seconds; -1: a lock file with the holder's process in it
    QTest::newRow("running holder") << false << -1;
    QTest::newRow("ended holder") << true << -1;
    // An empty lock file names no process: another copy may be about to write its own into it.
    QTest::newRow("empty, just made") << false << 0;
    QTest::newRow("empty, younger than the stale limit") << false << 20;
    QTest::newRow("empty, older than the stale limit") << true << 40;
}

void TestIniFile::lockIsBrokenOnlyWhenItsHolderCannotLetGo()
{
    QFETCH(bool, holderEnds);
    QFETCH(int, emptyFileAge);
    const QString lock = FileWriteLock::lockPathFor(path("w.ini"));
    QProcess* holder =
        startSelf(this, {"--hold-lock", path("w.ini"), holderEnds ? "600000" : "700", QString::number(emptyFileAge)});
    QVERIFY(holder->waitForReadyRead(20000));
    if (holderEnds) {
        holder->kill();
        QVERIFY(holder->waitForFinished(20000));
        QVERIFY(QFile::exists(lock));
    }
    QElapsedTimer timer;
    timer.start();
    IniFile::instance().WriteString("s", "k", "v", path("w.ini"));
    QVERIFY2(holderEnds ? timer.elapsed() < 5000 : timer.elapsed() >= 300,
             qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(IniFile::instance().ReadString("s", "k", path("w.ini"), kNone), QStringLiteral("v"));
    QVERIFY(!QFile::exists(lock));
    if (!holderEnds) {
        // The holder found its lock as it left it.
        QVERIFY(holder->waitForFinished(20000));
        QCOMPARE(holder->exitCode(), 0);
    }
}

void TestIniFile::twoProcessesWritingAtOnceLoseNothing()
{
    const int count = 500;
    TestHelpers::writeAll(path("w.ini"), "; shared\n[Settings]\nStart in Tray=true\n");
    QList<QProcess*> writers;
    for (const char* prefix : {"a", "b"}) {
        writers << startSelf(this, {"--writer", path("w.ini"), prefix, QString::number(count), path("go")});
        QVERIFY(writers.back()->waitForStarted(20000));
    }
    TestHelpers::writeAll(path("go"), "");
    for (QProcess* writer : writers) {
        QVERIFY(writer->waitForFinished(240000));
        QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
        QCOMPARE(writer->exitCode(), 0);
    }
    auto& ini = IniFile::instance();
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < count; ++i) {
            const QString key = prefix + QString::number(i);
            QCOMPARE(ini.ReadString("shared", key, path("w.ini"), kNone), QStringLiteral("v") + key);
        }
    }
    QCOMPARE(ini.ReadString("Settings", "Start in Tray", path("w.ini"), kNone), QStringLiteral("true"));
    QCOMPARE(TestHelpers::readAll(path("w.ini")).count('\n'), 3 + 1 + 2 * count);
}

namespace {

// Writes count keys, one write each, into a section both writers share, as fast as it can once
// the go file appears.
int runWriter(const QStringList& args)
{
    const QString file = args.value(0);
    const QString prefix = args.value(1);
    const int count = args.value(2).toInt();
    while (!QFile::exists(args.value(3)))
        QThread::usleep(200);
    try {
        for (int i = 0; i < count; ++i) {
            const QString key = prefix + QString::number(i);
            IniFile::instance().WriteString("Shared", key, QStringLiteral("v") + key, file);
        }
    } catch (const AppError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return 0;
}

// Holds the lock of a file for a while, or when given an age in seconds, plays a copy caught
// between making its lock file and writing into it: the file stays empty, last changed that long ago.
int holdLock(const QStringList& args)
{
    const int emptyFileAge = args.value(2, "-1").toInt();
    std::optional<FileWriteLock> lock;
    QFile empty(FileWriteLock::lockPathFor(args.value(0)));
    if (emptyFileAge < 0)
        lock.emplace(args.value(0));
    else if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
             !empty.setFileTime(QDateTime::currentDateTime().addSecs(-emptyFileAge), QFileDevice::FileModificationTime))
        return 2;
    std::printf("locked\n");
    std::fflush(stdout);
    QThread::msleep(args.value(1).toULong());
    return emptyFileAge < 0 || (empty.size() == 0 && empty.remove()) ? 0 : 3;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(2);
    if (app.arguments().value(1) == QLatin1String("--writer"))
        return runWriter(args);
    if (app.arguments().value(1) == QLatin1String("--hold-lock"))
        return holdLock(args);
    TestIniFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inifile.moc"
