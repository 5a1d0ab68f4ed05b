#include "engine/EntryReport.h"
#include "engine/EntryWriter.h"
#include "engine/LateJob.h"
#include "engine/WatchEntry.h"
#include "store/IniFile.h"

#include "TestHelpers.h"

#include <QTemporaryDir>
#include <QTest>

using State = EntryReport::State;

namespace {

const QString kNone = QStringLiteral("<none>");

WatchEntry entryWith(const QString& job, const QString& whenLate, const QString& started)
{
    WatchEntry entry;
    entry.set(WatchEntry::Key::Job, job);
    entry.set(WatchEntry::Key::JobWhenLate, whenLate);
    entry.set(WatchEntry::Key::JobStarted, started);
    return entry;
}

} // namespace

class TestJobKeys : public QObject
{
    Q_OBJECT

private:
    QString ini() const { return m_dir->filePath(QStringLiteral("Staleguard.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        IniFile::instance().clearCache();
    }

    void savedKeys_data()
    {
        QTest::addColumn<QString>("before"); // the entry's keys before the save
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("whenLate");
        QTest::addColumn<QString>("jobStored");
        QTest::addColumn<QString>("whenLateStored");

        QTest::newRow("none set, none written") << ""
                                                << "" << false << kNone << kNone;
        QTest::newRow("blanks are no job, and nothing runs by itself") << ""
                                                                       << "  " << true << kNone << kNone;
        QTest::newRow("a job, trimmed") << ""
                                        << " /bin/backup --nightly " << false << "/bin/backup --nightly" << kNone;
        QTest::newRow("runs by itself") << ""
                                        << "backup" << true << "backup"
                                        << "true";
        QTest::newRow("quotes around the whole command survive")
            << ""
            << "\"/opt/my tools/backup\"" << false << "\"/opt/my tools/backup\"" << kNone;
        QTest::newRow("cleared: the keys read as none")
            << "job=/bin/backup\njob when late=true\njob started=2024-05-01T08:00:00Z"
            << "" << false << kNone << kNone;
    }

    void savedKeys()
    {
        QFETCH(QString, before);
        QFETCH(QString, job);
        QFETCH(bool, whenLate);
        QFETCH(QString, jobStored);
        QFETCH(QString, whenLateStored);
        TestHelpers::writeAll(ini(), TestHelpers::entrySection(0, QStringLiteral("/data/b.tar"), before));

        EntryInput input{QStringLiteral("/data/b.tar"), QStringLiteral("Backup"), 3};
        input.job = job;
        input.jobWhenLate = whenLate;
        QCOMPARE(EntryWriter::save(IniFile::instance(), ini(), input, 0, false), EntryWriter::Result::Saved);

        QCOMPARE(TestHelpers::stored(ini(), 0, QStringLiteral("job"), kNone), jobStored);
        QCOMPARE(TestHelpers::stored(ini(), 0, QStringLiteral("job when late"), kNone), whenLateStored);
        // An entry without a job is saved as it always was.
        if (before.isEmpty() && jobStored == kNone)
            QVERIFY(!TestHelpers::readAll(ini()).contains("job"));
        IniFile::instance().clearCache();
        const WatchEntry read = WatchEntry::read(IniFile::instance(), ini(), 0);
        QCOMPARE(read.hasJob(), jobStored != kNone);
        QCOMPARE(read.job(), jobStored == kNone ? QString() : jobStored);
        // The day of a start by itself is the program's to keep, whatever the editor saves.
        if (before.contains(QStringLiteral("job started")))
            QCOMPARE(TestHelpers::stored(ini(), 0, QStringLiteral("job started")), "2024-05-01T08:00:00Z");
    }

    void due_data()
    {
        const QDate today(2024, 5, 10);
        const auto at = [](const QDate& day, int h, int m) {
            return LateJob::startedText(QDateTime(day, QTime(h, m)));
        };
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("whenLate");
        QTest::addColumn<QString>("started");
        QTest::addColumn<bool>("due");

        QTest::newRow("old") << int(State::Old) << "backup"
                             << "true"
                             << "" << true;
        QTest::newRow("missing") << int(State::Missing) << "backup"
                                 << "true"
                                 << "" << true;
        QTest::newRow("cannot be reached") << int(State::Unreachable) << "backup"
                                           << "true"
                                           << "" << false;
        QTest::newRow("changed") << int(State::Changed) << "backup"
                                 << "true"
                                 << "" << false;
        QTest::newRow("fine") << int(State::Ok) << "backup"
                              << "true"
                              << "" << false;
        QTest::newRow("not asked to") << int(State::Old) << "backup"
                                      << ""
                                      << "" << false;
        QTest::newRow("TRUE asks too") << int(State::Old) << "backup"
                                       << "TRUE"
                                       << "" << true;
        QTest::newRow("only true asks") << int(State::Old) << "backup"
                                        << "yes"
                                        << "" << false;
        QTest::newRow("no command") << int(State::Old) << " "
                                    << "true"
                                    << "" << false;
        QTest::newRow("started at today's last minute") << int(State::Old) << "b"
                                                        << "true" << at(today, 23, 59) << false;
        QTest::newRow("started today, stored in UTC")
            << int(State::Old) << "b"
            << "true" << QDateTime(today, QTime(12, 0)).toUTC().toString(Qt::ISODate) << false;
        QTest::newRow("started yesterday evening") << int(State::Old) << "b"
                                                   << "true" << at(today.addDays(-1), 23, 59) << true;
        QTest::newRow("started tomorrow: a clock that was wrong") << int(State::Old) << "b"
                                                                  << "true" << at(today.addDays(1), 8, 0) << true;
        QTest::newRow("a start that does not read") << int(State::Old) << "b"
                                                    << "true"
                                                    << "last Tuesday" << true;
    }

    void due()
    {
        QFETCH(int, state);
        QFETCH(QString, job);
        QFETCH(QString, whenLate);
        QFETCH(QString, started);
        QFETCH(bool, due);
        QCOMPARE(LateJob::due(State(state), entryWith(job, whenLate, started), QDate(2024, 5, 10)), due);
    }

    // Checks every minute from 08:00 for two days, a failing job noted at each start, the program
    // started afresh every 100 minutes: the job starts once each day, the first time it may.
    void oneStartADayAcrossRestarts()
    {
        TestHelpers::writeAll(ini(), TestHelpers::entrySection(0, QStringLiteral("/data/b.tar"),
                                                               QStringLiteral("job=backup\njob when late=true")));
        const QDateTime first(QDate(2024, 5, 10), QTime(8, 0));
        QList<QDateTime> starts;
        for (int minute = 0; minute < 2 * 24 * 60; ++minute) {
            const QDateTime now = first.addSecs(minute * 60);
            if (minute % 100 == 0)
                IniFile::instance().clearCache();
            const WatchEntry stored = WatchEntry::read(IniFile::instance(), ini(), 0);
            if (LateJob::due(State::Old, stored, now.date()) &&
                EntryWriter::claimLateJob(IniFile::instance(), ini(), 0, now))
                starts.append(now);
        }
        QCOMPARE(starts, (QList<QDateTime>{first, QDateTime(QDate(2024, 5, 11), QTime(0, 0)),
                                           QDateTime(QDate(2024, 5, 12), QTime(0, 0))}));
        QCOMPARE(TestHelpers::stored(ini(), 0, QStringLiteral("job started")), LateJob::startedText(starts.last()));
    }
};

QTEST_GUILESS_MAIN(TestJobKeys)
#include "tst_jobkeys.moc"
