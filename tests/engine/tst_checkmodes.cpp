#include "CountingQuestion.h"
#include "engine/CheckRun.h"
#include "engine/EntryChecker.h"

#include "TestHelpers.h"
#include "engine/Clock.h"
#include "engine/FileQuery.h"
#include "engine/WatchList.h"
#include "store/IniFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace TestHelpers;

namespace {

const QDateTime kNow(QDate(2026, 6, 15), QTime(12, 0));

} // namespace

// The check only judges; what it hands back is what its callers write and ask: on one watch list
// with a folder entry, a missing file and an old file.
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

    void checkWritesNothingAndHandsBackWhatToDo()
    {
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
        FileQuery files;
        EntryChecker checker(files, kNow.date());
        checker.setCollectReport(true);
        const EntryChecker::Result result = checker.check(WatchList::read(store, ini), false);
        QCOMPARE(readAll(ini), before);
        QCOMPARE(readAll(rowMap), staleMap);

        QCOMPARE(result.rows.size(), 2);
        QCOMPARE(result.rows[0].text, QString("Logs are 9 days old"));
        QCOMPARE(result.rows[1].entry, qint16(2));
        QCOMPARE(result.picks.size(), 1);
        QCOMPARE(result.picks[0].fileName, path("logs/today.log"));
        QCOMPARE(result.gone.size(), 1);
        QCOMPARE(result.gone[0].entry, qint16(1));
        // The report sees the folder's pick before it is stored.
        QCOMPARE(result.entries.size(), 3);
        QCOMPARE(result.entries[0].fileName, path("logs/today.log"));
        QCOMPARE(result.entries[0].kind, EntryReport::Kind::Newest);
        QCOMPARE(result.entries[0].age, std::optional<qint16>(9));
        QCOMPARE(result.entries[1].state, EntryReport::State::Missing);
        QCOMPARE(result.entries[2].state, EntryReport::State::Old);

        CheckRun::store(store, ini, rowMap, result);
        QCOMPARE(store.ReadString("file 0", "filename", ini, QString()), path("logs/today.log"));
        QCOMPARE(store.ReadString("tempfile 1", "realnumber", rowMap, QString()), QString("2"));
        QCOMPARE(store.ReadString("file 1", "Notactive", ini, "-"), QString("-"));

        CountingQuestion question;
        question.answers = {true};
        CheckRun::askAboutGone(store, ini, result.gone, files, question, {});
        QCOMPARE(question.asked, QStringList{path("gone.txt")});
        QCOMPARE(store.ReadString("file 1", "Notactive", ini, "-"), QString("true"));
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCheckModes)
#include "tst_checkmodes.moc"
