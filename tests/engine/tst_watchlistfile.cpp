#include "engine/WatchListFile.h"

#include "TestHelpers.h"
#include "WatchListFolder.h"
#include "store/IniFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

class TestWatchListFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void locatesBesideAWritableProgram();
    void locatesInTheUserFolderWhenItCannotWrite();
    void keepsAnExistingListBesideTheProgram();
    void nextFreeNumber_data();
    void nextFreeNumber();
    void nextFreeNumberWhenEveryNumberIsTaken();

    void trueReaders_data();
    void trueReaders();

private:
    std::unique_ptr<WatchListFolder> m_dir;
};

void TestWatchListFile::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestWatchListFile::init()
{
    m_dir = std::make_unique<WatchListFolder>();
    QVERIFY(m_dir->isValid());
    IniFile::instance().clearCache();
}

void TestWatchListFile::locatesBesideAWritableProgram()
{
    const auto paths = WatchListFile::locate(m_dir->path());
    QCOMPARE(paths.inifilename, m_dir->path() + QDir::separator() + "Staleguard.ini");
    QCOMPARE(paths.tempinifilename, m_dir->path() + QDir::separator() + "$Staleguard.ini");
}

void TestWatchListFile::locatesInTheUserFolderWhenItCannotWrite()
{
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(userFolder).removeRecursively();
    // A folder that does not exist cannot be written either; as root, permissions would not stop us.
    const auto paths = WatchListFile::locate(m_dir->filePath("no-such-bin"));
    QCOMPARE(paths.inifilename, QDir::toNativeSeparators(userFolder) + QDir::separator() + "Staleguard.ini");
    QCOMPARE(paths.tempinifilename, QDir::toNativeSeparators(userFolder) + QDir::separator() + "$Staleguard.ini");
    QVERIFY(QFileInfo(userFolder).isDir());
    QDir(userFolder).removeRecursively();
}

void TestWatchListFile::keepsAnExistingListBesideTheProgram()
{
    if (::getuid() == 0)
        QSKIP("Running as root, every folder is writable");
    TestHelpers::writeAll(m_dir->iniPath(), "[file 0]\nfilename=/x\n");
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    const auto paths = WatchListFile::locate(m_dir->path());
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(paths.inifilename, m_dir->iniPath());
}

void TestWatchListFile::nextFreeNumber_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("expected");

    QTest::newRow("no file") << QByteArray() << 0;
    QTest::newRow("two entries") << QByteArray("[file 0]\nfilename=/a\n[file 1]\nfilename=/b\n") << 2;
    QTest::newRow("first removed") << QByteArray("[file 0]\nfilename=/a\nNotactive=TRUE\n[file 1]\nfilename=/b\n") << 0;
    QTest::newRow("written by the editor's prefix")
        << QByteArray("[File 0]\nfilename=/a\n[FILE 1]\nFileName=/b\n") << 2;
    QTest::newRow("inactive only when it says true") << QByteArray("[file 0]\nfilename=/a\nNotactive=true-ish\n") << 1;
    QTest::newRow("section without a file name") << QByteArray("[file 0]\ndays=3\n[file 1]\nfilename=/b\n") << 0;
    QTest::newRow("gap") << QByteArray("[file 0]\nfilename=/a\n[file 2]\nfilename=/c\n") << 1;
}

void TestWatchListFile::nextFreeNumber()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, expected);
    if (!ini.isEmpty())
        TestHelpers::writeAll(m_dir->iniPath(), ini);
    const auto free = WatchListFile::nextFreeNumber(IniFile::instance(), m_dir->iniPath());
    QVERIFY(free.has_value());
    QCOMPARE(int(*free), expected);
}

void TestWatchListFile::nextFreeNumberWhenEveryNumberIsTaken()
{
    QByteArray ini;
    for (int n = 0; n <= WatchListFile::kLastEntryNumber; ++n)
        ini += "[file " + QByteArray::number(n) + "]\nfilename=/f" + QByteArray::number(n) + "\n";
    TestHelpers::writeAll(m_dir->iniPath(), ini);
    QCOMPARE(WatchListFile::nextFreeNumber(IniFile::instance(), m_dir->iniPath()), std::nullopt);

    // Freeing the last number makes room again; the store notices the file changed on disk.
    IniFile::instance().WriteString("file 32767", "Notactive", "true", m_dir->iniPath());
    QCOMPARE(WatchListFile::nextFreeNumber(IniFile::instance(), m_dir->iniPath()), std::optional<qint16>(32767));
}

void TestWatchListFile::trueReaders_data()
{
    // Each column is one reader: contains lower-case, contains any case, lowered equals, equals
    // ignoring case, not "false".
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("readings");
    QTest::newRow("the program's own") << "true"
                                       << "11111";
    QTest::newRow("upper case") << "TRUE"
                                << "01111";
    QTest::newRow("inside a word") << "untrue"
                                   << "11001";
    QTest::newRow("padded") << " true"
                            << "11001";
    QTest::newRow("empty") << ""
                           << "00001";
    QTest::newRow("false in any case") << " FALSE "
                                       << "00000";
}

void TestWatchListFile::trueReaders()
{
    QFETCH(QString, stored);
    QFETCH(QString, readings);
    const QString got = QString::number(WatchListFile::containsLowerTrue(stored)) +
                        QString::number(WatchListFile::containsTrue(stored)) +
                        QString::number(WatchListFile::isLoweredTrue(stored)) +
                        QString::number(WatchListFile::equalsTrueIgnoringCase(stored)) +
                        QString::number(WatchListFile::isNotFalse(stored));
    QCOMPARE(got, readings);
}

QTEST_GUILESS_MAIN(TestWatchListFile)
#include "tst_watchlistfile.moc"
