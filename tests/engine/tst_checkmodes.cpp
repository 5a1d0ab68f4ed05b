#include "CountingQuestion.h"
#include "engine/EntryChecker.h"

#include "TestHelpers.h"
#include "engine/Clock.h"
#include "engine/MissingFileQuestion.h"
#include "store/IniFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace TestHelpers;

namespace {

const QDateTime kNow(QDate(2026, 6, 15), QTime(12, 0));

} // namespace

// What each way of running the check may write and ask, on one watch list with a folder entry, a
// missing file and an old file.
class TestCheckModes : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Clock::setMock(kNow);
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanupTestCase() { Clock::reset(); }

    void writesAndAsksByMode_data()
    {
        QTest::addColumn<EntryChecker::Mode>("mode");
        QTest::addColumn<bool>("writes");
        QTest::addColumn<bool>("asks");
        QTest::newRow("refresh") << EntryChecker::Mode::Refresh << true << true;
        QTest::newRow("unattended") << EntryChecker::Mode::Unattended << true << false;
        QTest::newRow("read-only") << EntryChecker::Mode::ReadOnly << false << false;
    }

    void writesAndAsksByMode()
    {
        QFETCH(EntryChecker::Mode, mode);
        QFETCH(bool, writes);
        QFETCH(bool, asks);
        const QString ini = path("Staleguard.ini");
        const QString rowMap = path("$Staleguard.ini");
        QVERIFY(QDir(m_dir->path()).mkdir("logs"));
        touch(path("logs/today.log"), kNow.addDays(-9));
        touch(path("old.txt"), kNow.addDays(-4));
        writeAll(ini, QStringLiteral("[file 0]\nfilename=%1\ndescription=Logs\ndays=2\nnon-fixed file type=1\n"
                                     "[file 1]\nfilename=%2\ndescription=Gone\n"
                                     "[file 2]\nfilename=%3\ndescription=Old\ndays=3\n")
                          .arg(path("logs/last-week.log"), path("gone.txt"), path("old.txt"))
                          .toUtf8());
        const QByteArray staleMap = "[tempfile 0]\nrealnumber=7\n";
        writeAll(rowMap, staleMap);
        const QByteArray before = readAll(ini);

        IniFile& store = IniFile::instance();
        CountingQuestion question;
        EntryChecker checker(store, ini, rowMap);
        checker.setMode(mode);
        checker.setMissingFileQuestion(&question);
        checker.setCollectReport(true);
        const EntryChecker::Result result = checker.run(false);

        QCOMPARE(result.rows.size(), 2);
        QCOMPARE(result.rows[0].text, QString("Logs are 9 days old"));
        QCOMPARE(result.rows[1].entry, qint16(2));
        QCOMPARE(question.asked, asks ? QStringList{path("gone.txt")} : QStringList{});
        QCOMPARE(store.ReadString("file 1", "Notactive", ini, "-"), QString(asks ? "true" : "-"));
        QCOMPARE(store.ReadString("file 0", "filename", ini, QString()),
                 path(writes ? "logs/today.log" : "logs/last-week.log"));
        if (writes)
            QCOMPARE(store.ReadString("tempfile 1", "realnumber", rowMap, QString()), QString("2"));
        else
            QCOMPARE(readAll(rowMap), staleMap);
        if (!writes)
            QCOMPARE(readAll(ini), before);

        // The report sees the folder's pick whether or not it was stored.
        QCOMPARE(result.entries.size(), 3);
        QCOMPARE(result.entries[0].fileName, path("logs/today.log"));
        QCOMPARE(result.entries[0].kind, EntryReport::Kind::Newest);
        QCOMPARE(result.entries[0].age, std::optional<qint16>(9));
        QCOMPARE(result.entries[1].state, EntryReport::State::Missing);
        QCOMPARE(result.entries[2].state, EntryReport::State::Old);
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCheckModes)
#include "tst_checkmodes.moc"
