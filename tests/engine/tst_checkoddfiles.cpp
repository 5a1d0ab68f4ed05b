// The check against what a user's disk may hold sooner or later: a watch list in two encodings,
// file names the watch list cannot store, and a watch list too large for the memory at hand.
#include "base/AppError.h"
#include "engine/Clock.h"
#include "engine/EntryChecker.h"
#include "store/IniFile.h"

#include "ForkedCall.h"
#include "TestHelpers.h"
#include "WatchListFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2026, 6, 15), QTime(12, 0));

// A file whose name is given as raw bytes, which need not be valid in any encoding.
void touchRaw(const QByteArray& path, const QDateTime& modified)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0);
    const struct timespec times[2] = {{modified.toSecsSinceEpoch(), 0}, {modified.toSecsSinceEpoch(), 0}};
    QCOMPARE(::futimens(fd, times), 0);
    ::close(fd);
}

ino_t inodeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

class TestCheckOddFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();
    void oneEncodingPerLine();
    void folderPickSkipsNamesThatCannotBeStored();
    void oddStoredNames_data();
    void oddStoredNames();
    void hugeWatchListUnderAMemoryLimit_data();
    void hugeWatchListUnderAMemoryLimit();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<WatchListFolder> m_dir;
};

void TestCheckOddFiles::cleanupTestCase()
{
    Clock::reset();
}

void TestCheckOddFiles::init()
{
    Clock::setMock(kNow);
    IniFile::instance().clearCache();
    m_dir = std::make_unique<WatchListFolder>();
    QVERIFY(m_dir->isValid());
}

void TestCheckOddFiles::oneEncodingPerLine()
{
    TestHelpers::touch(path("café.txt"), kNow.addDays(-7));
    TestHelpers::touch(path("other.txt"), kNow.addDays(-7));
    const QByteArray entry0 = "[File 0]\r\nfilename=" + path("café.txt").toUtf8() + "\r\ndays=1\r\n";
    const QByteArray entry1 = "[File 1]\r\nfilename=" + path("other.txt").toUtf8() + "\r\ndays=1\r\n";
    TestHelpers::writeAll(m_dir->iniPath(),
                          entry0 + "description=Caf\xC3\xA9 A\r\n" + entry1 + "description=Caf\xE9 B\r\n");

    QCOMPARE(TestHelpers::rowTexts(m_dir->check().rows), (QStringList{"Café A is 7 days old", "Café B is 7 days old"}));
    QVERIFY(m_dir->question.asked.isEmpty());

    // A changed line keeps the encoding it had; every other byte stays.
    IniFile::instance().WriteString("file 0", "description", "Thé A", m_dir->iniPath());
    IniFile::instance().WriteString("file 1", "description", "Thé B", m_dir->iniPath());
    QCOMPARE(TestHelpers::readAll(m_dir->iniPath()),
             entry0 + "description=Th\xC3\xA9 A\r\n" + entry1 + "description=Th\xE9 B\r\n");
}

void TestCheckOddFiles::folderPickSkipsNamesThatCannotBeStored()
{
    QVERIFY(QDir(m_dir->path()).mkdir("logs"));
    const QByteArray folder = QFile::encodeName(path("logs"));
    touchRaw(folder + "/not-utf8-\xFF.log", kNow.addDays(-1));
    touchRaw(folder + "/two\nlines.log", kNow.addDays(-1));
    TestHelpers::touch(path("logs/plain.log"), kNow.addDays(-5));
    TestHelpers::writeAll(m_dir->iniPath(), "[file 0]\nfilename=" + folder +
                                                "/plain.log\ndescription=Log\ndays=2\nnon-fixed file type=1\n");
    const QByteArray bytes = TestHelpers::readAll(m_dir->iniPath());
    const ino_t inode = inodeOf(m_dir->iniPath());

    for (int round = 0; round < 2; ++round) {
        QCOMPARE(TestHelpers::rowTexts(m_dir->check().rows), QStringList{"Log is 5 days old"});
        QCOMPARE(TestHelpers::readAll(m_dir->iniPath()), bytes);
        QCOMPARE(inodeOf(m_dir->iniPath()), inode);
    }
    QVERIFY(m_dir->question.asked.isEmpty());
}

void TestCheckOddFiles::oddStoredNames_data()
{
    QTest::addColumn<QByteArray>("firstEntry"); // its filename names the file "real" of the folder
    QTest::addColumn<QByteArray>("storedName"); // what entry 0 holds after the check
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("questions");

    QTest::newRow("a NUL ends no name early")
        << QByteArray("filename=<dir>/real\0.txt\ndescription=Real\ndays=1", 48) << QByteArray("<dir>/real\0.txt", 15)
        << QStringList{"Next is 7 days old"} << 1;
    QTest::newRow("folder entry without a folder part, then a normal entry")
        << QByteArray("filename=real\ndescription=Bare\nnon-fixed file type=1") << QByteArray("real")
        << QStringList{"Next is 7 days old"} << 1;
}

void TestCheckOddFiles::oddStoredNames()
{
    QFETCH(QByteArray, firstEntry);
    QFETCH(QByteArray, storedName);
    QFETCH(QStringList, rows);
    QFETCH(int, questions);
    const QByteArray dir = QFile::encodeName(m_dir->path());
    TestHelpers::touch(path("real"), kNow.addDays(-7));
    TestHelpers::writeAll(m_dir->iniPath(), "[file 0]\n" + firstEntry.replace("<dir>", dir) +
                                                "\n[file 1]\nfilename=" + dir + "/real\ndescription=Next\ndays=1\n");
    m_dir->question.answers.append(false);
    const auto result = m_dir->check();
    QCOMPARE(TestHelpers::rowTexts(result.rows), rows);
    QCOMPARE(result.lastEntry, qint16(3)); // the walk went on to entry 2
    QCOMPARE(m_dir->question.asked.size(), questions);
    QCOMPARE(TestHelpers::stored(m_dir->iniPath(), 0, "filename").toUtf8(), storedName.replace("<dir>", dir));
}

void TestCheckOddFiles::hugeWatchListUnderAMemoryLimit_data()
{
    QTest::addColumn<int>("megabytes");
    QTest::addColumn<qint64>("extraMemory");
    QTest::addColumn<QString>("expected");
    QTest::newRow("room for eight times the file") << 50 << qint64(8 * 50 + 64) * 1000 * 1000 << "rows: 0";
    // Larger than the room malloc may hold in reserve per arena (64 MiB), which no limit sees.
    QTest::newRow("less room than the file") << 100 << qint64(16) * 1000 * 1000 << "error 7: Could not read";
}

void TestCheckOddFiles::hugeWatchListUnderAMemoryLimit()
{
    QFETCH(int, megabytes);
    QFETCH(qint64, extraMemory);
    QFETCH(QString, expected);
    {
        // Written in pieces: a block as large as the file, freed, would leave room in this process's
        // heap that the child could take without the limit seeing it.
        QFile file(m_dir->iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray piece(1000 * 1000, '\n');
        for (int i = 0; i < megabytes; ++i)
            QCOMPARE(file.write(piece), piece.size());
    }
    const QDateTime written = QFileInfo(m_dir->iniPath()).lastModified();

    ForkedCall::Limits limits;
    limits.extraMemory = extraMemory;
    const auto outcome = ForkedCall::run(limits, [&] {
        try {
            return "rows: " + QByteArray::number(m_dir->check().rows.size());
        } catch (const AppError& e) {
            return QStringLiteral("error %1: %2").arg(e.number()).arg(e.description()).toUtf8();
        }
    });
    QVERIFY2(outcome.returned, "an exception escaped the check");
    QVERIFY2(outcome.text.startsWith(expected.toUtf8()), outcome.text.constData());
    QCOMPARE(QFileInfo(m_dir->iniPath()).size(), qint64(megabytes) * 1000 * 1000);
    QCOMPARE(QFileInfo(m_dir->iniPath()).lastModified(), written);
    QVERIFY(!QFile::exists(m_dir->rowMapPath()));
}

QTEST_GUILESS_MAIN(TestCheckOddFiles)
#include "tst_checkoddfiles.moc"
