#include "engine/EntryChecker.h"

#include "TestHelpers.h"
#include "WatchListFolder.h"
#include "engine/Clock.h"
#include "store/IniFile.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

// Random and mutated watch list files fed to the check: it must read them by the rules and never
// crash, hang or overrun (the sanitizers watch the last).
class TestEntryCheckerFuzz : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void hostileFiles_data();
    void hostileFiles();
    void randomAndMutatedFiles();
    void everyNumberTakenStopsAtTheLastOne();

private:
    QByteArray validFile() const;
    static QByteArray mutate(QByteArray bytes, QRandomGenerator& rng);

    std::unique_ptr<WatchListFolder> m_dir;
};

void TestEntryCheckerFuzz::initTestCase()
{
    Clock::setMock(QDateTime(QDate(2026, 6, 15), QTime(12, 0)));
}

void TestEntryCheckerFuzz::init()
{
    m_dir = std::make_unique<WatchListFolder>();
    QVERIFY(m_dir->isValid());
    TestHelpers::touch(m_dir->filePath("a"), QDateTime(QDate(2026, 6, 1), QTime(8, 0)));
}

QByteArray TestEntryCheckerFuzz::validFile() const
{
    const QByteArray a = m_dir->filePath("a").toUtf8();
    const QByteArray folder = m_dir->path().toUtf8() + "/x";
    return "[Settings]\nStart in Tray=false\n"
           "[file 0]\nfilename=" +
           a + "\ndays=5\ndescription=Backups\nadvisechanges=true\nlast date changed=x\n" +
           "[file 1]\nfilename=" + folder + "\ndays=1\ndescription=Folder\nnon-fixed file type=0\n" +
           "[file 2]\nfilename=" + a + "\ndays=2.5\ndescription=P\nPostponedate=2026-07-01\nNotactive=false\n";
}

QByteArray TestEntryCheckerFuzz::mutate(QByteArray bytes, QRandomGenerator& rng)
{
    static const QByteArray tokens[] = {"[", "]", "=",           "\n",           "\r\n", "\"", ";",    "file ",
                                        "-", ".", "99999999999", "\xEF\xBB\xBF", "\xFF", "\0", "true", "TRUE",
                                        "0", "1", "/",           "1/8/27"};
    const int edits = 1 + int(rng.bounded(8));
    for (int i = 0; i < edits; ++i) {
        const int at = bytes.isEmpty() ? 0 : int(rng.bounded(bytes.size()));
        switch (rng.bounded(4)) {
        case 0:
            bytes.insert(at, tokens[rng.bounded(int(std::size(tokens)))]);
            break;
        case 1:
            bytes.remove(at, int(rng.bounded(16)));
            break;
        case 2:
            if (!bytes.isEmpty())
                bytes[at] = char(rng.bounded(256));
            break;
        default:
            bytes.insert(at, bytes.mid(int(rng.bounded(qMax(1, int(bytes.size())))), int(rng.bounded(64))));
            break;
        }
    }
    return bytes;
}

void TestEntryCheckerFuzz::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("maxRows");

    QByteArray junk(64 * 1024, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 7919) % 251);
    const QByteArray a = "/nonexistent-staleguard-folder/file";
    QTest::newRow("binary junk") << junk << 32768;
    QTest::newRow("100 kB line") << "[file 0]\nfilename=" + a + "\ndescription=" + QByteArray(100 * 1024, 'd') +
                                        "\ndays=" + QByteArray(100 * 1024, '9') + "\n"
                                 << 0;
    QTest::newRow("huge days") << "[file 0]\nfilename=" + a + "\ndays=99999999999\ndescription=x\n" << 0;
    QTest::newRow("non-numeric kind") << "[file 0]\nfilename=" + a + "\nnon-fixed file type=abc\ndescription=x\n" << 0;
    QTest::newRow("negative kind") << "[file 0]\nfilename=" + a + "\nnon-fixed file type=-7\ndescription=x\n" << 0;
    QTest::newRow("huge gap") << "[file 0]\nfilename=" + a + "\n[file 30000]\nfilename=" + a + "\n[file 99999]\n" << 0;
    QTest::newRow("name with no folder") << QByteArray("[file 0]\nfilename=plain\nnon-fixed file type=1\n") << 0;
    QTest::newRow("only a separator") << QByteArray("[file 0]\nfilename=/\nnon-fixed file type=0\n") << 0;
    QTest::newRow("number-like section names")
        << "[file -1]\nfilename=" + a + "\n[file 00]\nfilename=" + a + "\n[file 0 ]\ndescription=x\n"
        << 0;
}

void TestEntryCheckerFuzz::hostileFiles()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, maxRows);
    TestHelpers::writeAll(m_dir->iniPath(), ini);
    QVERIFY(m_dir->check(false).rows.size() <= maxRows);
    QVERIFY(m_dir->check(true).rows.size() <= maxRows);
}

void TestEntryCheckerFuzz::randomAndMutatedFiles()
{
    QRandomGenerator rng(20260615);
    QElapsedTimer timer;
    timer.start();
    int runs = 0;
    const QByteArray valid = validFile();
    while (runs < 400 && timer.elapsed() < 3000) {
        QByteArray bytes;
        if (runs % 5 == 0) {
            bytes.resize(int(rng.bounded(2048)));
            for (char& c : bytes)
                c = char(rng.bounded(256));
        } else {
            bytes = mutate(valid, rng);
        }
        TestHelpers::writeAll(m_dir->iniPath(), bytes);
        const auto result = m_dir->check(runs % 2 == 0);
        for (const CheckRow& row : result.rows)
            QVERIFY(row.entry >= 0);
        ++runs;
    }
    QVERIFY(runs > 20);
}

void TestEntryCheckerFuzz::everyNumberTakenStopsAtTheLastOne()
{
    QByteArray ini;
    for (int n = 0; n <= 32767 + 5; ++n)
        ini += "[file " + QByteArray::number(n) + "]\nfilename=/nowhere/" + QByteArray::number(n) + "\n";
    TestHelpers::writeAll(m_dir->iniPath(), ini);
    int examined = 0;
    const auto result = m_dir->checkOnly(true, [&examined] { ++examined; });
    QCOMPARE(examined, 32768);
    QCOMPARE(result.lastEntry, qint16(32767));
    QVERIFY(result.rows.isEmpty());
}

QTEST_GUILESS_MAIN(TestEntryCheckerFuzz)
#include "tst_entrycheckerfuzz.moc"
