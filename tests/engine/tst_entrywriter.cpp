#include "engine/DateTexts.h"
#include "engine/EntryWriter.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

#include "TestHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TestEntryWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesTheEntry_data();
    void writesTheEntry();
    void editKeepsTheAcknowledgedDate_data();
    void editKeepsTheAcknowledgedDate();
    void newEntryInAReusedNumber_data();
    void newEntryInAReusedNumber();
    void refusedSavesWriteNothing_data();
    void refusedSavesWriteNothing();
    void copiesSavingAtOnceTakeDifferentNumbers();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestEntryWriter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    IniFile::instance().clearCache();
}

void TestEntryWriter::writesTheEntry_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("directoryMode");
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<bool>("reportChanges");
    QTest::addColumn<qint16>("entry");
    QTest::addColumn<QString>("typeWritten");
    QTest::addColumn<QString>("adviseWritten");
    QTest::addColumn<bool>("dateWritten");

    QTest::newRow("fixed file") << true << false << 1 << false << qint16(4) << ""
                                << "false" << false;
    QTest::newRow("reports changes") << true << false << 1 << true << qint16(4) << ""
                                     << "true" << true;
    QTest::newRow("reports changes, file gone") << false << false << 1 << true << qint16(4) << ""
                                                << "true" << false;
    QTest::newRow("oldest of the folder") << true << true << 0 << true << qint16(4) << "0"
                                          << "false" << false;
    QTest::newRow("newest of the folder") << true << true << 1 << false << qint16(4) << "1"
                                          << "false" << false;
    QTest::newRow("typed into the combo box") << true << true << -1 << false << qint16(4) << "-1"
                                              << "false" << false;
    QTest::newRow("entry 0") << true << false << 1 << false << qint16(0) << ""
                             << "false" << false;
}

void TestEntryWriter::writesTheEntry()
{
    QFETCH(bool, fileExists);
    QFETCH(bool, directoryMode);
    QFETCH(int, typeIndex);
    QFETCH(bool, reportChanges);
    QFETCH(qint16, entry);
    QFETCH(QString, typeWritten);
    QFETCH(QString, adviseWritten);
    QFETCH(bool, dateWritten);

    const QString watched = path(QStringLiteral("report.doc"));
    const QDateTime changed(QDate(2026, 6, 12), QTime(3, 10, 44));
    if (fileExists)
        TestHelpers::touch(watched, changed);
    const QString ini = path(QStringLiteral("list.ini"));
    TestHelpers::writeAll(ini, "[Settings]\nStart in Tray=false\n");

    EntryInput input{watched, QStringLiteral("Monthly report"), 5, directoryMode, typeIndex, reportChanges};
    QCOMPARE(EntryWriter::save(IniFile::instance(), ini, input, entry, true), EntryWriter::Result::Saved);

    QString expected = QStringLiteral("[Settings]\nStart in Tray=false\n[File %1]\nfilename=%2\ndays=5\n"
                                      "description=Monthly report\nPostponedate=\nNotactive=false\n"
                                      "non-fixed file type=%3\nadvisechanges=%4\n")
                           .arg(entry)
                           .arg(watched, typeWritten, adviseWritten);
    if (dateWritten)
        expected += QStringLiteral("last date changed=%1\nlast date changed utc=%2\n")
                        .arg(DateTexts::generalDate(changed), changed.toUTC().toString(Qt::ISODate));
    QCOMPARE(QString::fromUtf8(TestHelpers::readAll(ini)), expected);
}

void TestEntryWriter::editKeepsTheAcknowledgedDate_data()
{
    QTest::addColumn<QString>("storedName"); // the entry's file name before the edit
    QTest::addColumn<QString>("savedName");
    QTest::addColumn<bool>("savedExists");
    QTest::addColumn<QString>("seen"); // "kept", "new file's" or "cleared"

    const QString dir = QStringLiteral("%1");
    QTest::newRow("same name") << dir + "/new.txt" << dir + "/new.txt" << true << "kept";
    QTest::newRow("same file, another spelling") << dir + "/sub/../new.txt" << dir + "/new.txt" << true << "kept";
    QTest::newRow("same missing file, another spelling") << dir + "/./gone.txt" << dir + "/gone.txt" << false << "kept";
    QTest::newRow("another file") << "/old/name.txt" << dir + "/new.txt" << true << "new file's";
    QTest::newRow("another file, missing") << "/old/name.txt" << dir + "/gone.txt" << false << "cleared";
}

void TestEntryWriter::editKeepsTheAcknowledgedDate()
{
    QFETCH(QString, storedName);
    QFETCH(QString, savedName);
    QFETCH(bool, savedExists);
    QFETCH(QString, seen);
    storedName = storedName.arg(m_dir->path());
    savedName = savedName.arg(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")));
    const QDateTime changed(QDate(2026, 3, 1), QTime(8, 0, 5));
    if (savedExists)
        TestHelpers::touch(savedName, changed);

    // A postponed entry in a section the check wrote in lower case, with keys the save does not know.
    const QString ini = path(QStringLiteral("list.ini"));
    TestHelpers::writeAll(ini, QStringLiteral("[file 3]\r\nfilename=%1\r\ndays=9\r\ndescription=Old\r\n"
                                              "Postponedate=01/02/2027\r\nNotactive=true\r\nadvisechanges=true\r\n"
                                              "last date changed=01/01/2026 10:00:00\r\nextra=kept\r\n")
                                   .arg(storedName)
                                   .toUtf8());

    EntryInput input{savedName, QStringLiteral("Renamed"), 1, false, 1, true};
    QCOMPARE(EntryWriter::save(IniFile::instance(), ini, input, 3, false), EntryWriter::Result::Saved);

    QString seenLines = QStringLiteral("last date changed=01/01/2026 10:00:00\r\nextra=kept\r\n"
                                       "non-fixed file type=\r\n");
    if (seen == "new file's")
        seenLines = QStringLiteral("last date changed=%1\r\nextra=kept\r\nnon-fixed file type=\r\n"
                                   "last date changed utc=%2\r\n")
                        .arg(DateTexts::generalDate(changed), changed.toUTC().toString(Qt::ISODate));
    else if (seen == "cleared")
        seenLines = QStringLiteral("last date changed=\r\nextra=kept\r\nnon-fixed file type=\r\n"
                                   "last date changed utc=\r\n");
    const QString expected = QStringLiteral("[file 3]\r\nfilename=%1\r\ndays=1\r\ndescription=Renamed\r\n"
                                            "Postponedate=\r\nNotactive=false\r\nadvisechanges=true\r\n")
                                 .arg(savedName) +
                             seenLines;
    QCOMPARE(QString::fromUtf8(TestHelpers::readAll(ini)), expected);
}

// A new entry in a removed entry's number carries nothing of what the user saw of the old file.
void TestEntryWriter::newEntryInAReusedNumber_data()
{
    QTest::addColumn<bool>("reportChanges");
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("reporting changes") << true << true;
    QTest::newRow("reporting changes, file missing") << true << false;
    QTest::newRow("not reporting changes") << false << true;
}

void TestEntryWriter::newEntryInAReusedNumber()
{
    QFETCH(bool, reportChanges);
    QFETCH(bool, fileExists);
    const QString ini = path(QStringLiteral("list.ini"));
    TestHelpers::writeAll(ini, "[file 0]\nfilename=/old.txt\nNotactive=true\nadvisechanges=true\n"
                               "last date changed=01/01/2020 10:00:00\nlast date changed utc=2020-01-01T10:00:00Z\n");
    const QString watched = path(QStringLiteral("new.txt"));
    const QDateTime changed(QDate(2026, 3, 1), QTime(8, 0, 5));
    if (fileExists)
        TestHelpers::touch(watched, changed);
    const EntryInput input{watched, QStringLiteral("New"), 5, false, 1, reportChanges};
    QCOMPARE(EntryWriter::save(IniFile::instance(), ini, input, 0, true), EntryWriter::Result::Saved);
    const auto value = [&](const char* key) { return TestHelpers::stored(ini, 0, QString::fromLatin1(key)); };
    const bool seen = reportChanges && fileExists;
    QCOMPARE(value("last date changed"), seen ? DateTexts::generalDate(changed) : QString());
    QCOMPARE(value("last date changed utc"), seen ? changed.toUTC().toString(Qt::ISODate) : QString());
}

void TestEntryWriter::refusedSavesWriteNothing_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<qint16>("entry");
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");

    QTest::newRow("no description") << ""
                                    << "/a.txt" << qint16(0) << true << int(EntryWriter::Result::NoDescription)
                                    << "You must enter a description of the file";
    QTest::newRow("no file") << "A"
                             << "" << qint16(0) << true << int(EntryWriter::Result::NoFileName)
                             << "You must choose the file to watch";
    QTest::newRow("list full") << "A"
                               << "/a.txt" << qint16(-1) << true << int(EntryWriter::Result::ListFull)
                               << "Your list is full";
    QTest::newRow("no entry to edit") << "A"
                                      << "/a.txt" << qint16(-1) << false << int(EntryWriter::Result::NoEntry)
                                      << "could not be found";
}

void TestEntryWriter::refusedSavesWriteNothing()
{
    QFETCH(QString, description);
    QFETCH(QString, fileName);
    QFETCH(qint16, entry);
    QFETCH(bool, isNew);
    QFETCH(int, result);
    QFETCH(QString, message);

    const QString ini = path(QStringLiteral("list.ini"));
    const QByteArray before("[File 0]\nfilename=/kept.txt\n");
    TestHelpers::writeAll(ini, before);
    const EntryInput input{fileName, description, 5, false, 1, true};
    const auto outcome = EntryWriter::save(IniFile::instance(), ini, input, entry, isNew);
    QCOMPARE(int(outcome), result);
    QVERIFY2(EntryWriter::message(outcome).contains(message), qPrintable(EntryWriter::message(outcome)));
    QCOMPARE(TestHelpers::readAll(ini), before);
}

void TestEntryWriter::copiesSavingAtOnceTakeDifferentNumbers()
{
    constexpr int kEach = 25;
    const QString ini = path(QStringLiteral("Staleguard.ini"));
    TestHelpers::writeAll(ini, "[Settings]\n");
    QList<QProcess*> copies;
    for (const char* tag : {"a", "b"}) {
        auto* copy = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("STALEGUARD_TEST_SAVE_NEW"), QStringLiteral("%1|%2|%3").arg(ini).arg(tag).arg(kEach));
        copy->setProcessEnvironment(env);
        copy->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        copies.append(copy);
    }
    for (QProcess* copy : copies)
        copy->start(QCoreApplication::applicationFilePath(), {});
    for (QProcess* copy : copies) {
        QVERIFY(copy->waitForFinished(120000));
        QCOMPARE(copy->exitCode(), 0);
    }
    // Every save has an entry of its own: none overwrote another's number.
    IniFile::instance().clearCache();
    QSet<QString> saved;
    for (int n = 0; n < 2 * kEach; ++n)
        saved.insert(IniFile::instance().ReadString(WatchListFile::savedSectionName(qint16(n)),
                                                    QStringLiteral("description"), ini, {}));
    saved.remove(QString());
    QCOMPARE(saved.size(), 2 * kEach);
}

// One of the copies that save at once: "<watch list>|<tag>|<count>" new entries, one after another.
static int saveNewEntries(const QString& job)
{
    const QStringList parts = job.split(QLatin1Char('|'));
    if (parts.size() != 3)
        return 2;
    for (int i = 0; i < parts.at(2).toInt(); ++i) {
        EntryInput input;
        input.fileName = QStringLiteral("/data/%1-%2.txt").arg(parts.at(1)).arg(i);
        input.description = QStringLiteral("%1 %2").arg(parts.at(1)).arg(i);
        input.days = 5;
        if (EntryWriter::saveNew(IniFile::instance(), parts.at(0), input) != EntryWriter::Result::Saved)
            return 1;
    }
    return 0;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString job = qEnvironmentVariable("STALEGUARD_TEST_SAVE_NEW");
    if (!job.isEmpty())
        return saveNewEntries(job);
    TestEntryWriter test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_entrywriter.moc"
