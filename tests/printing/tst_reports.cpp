#include "RecordingPrinter.h"
#include "TestHelpers.h"
#include "WatchListFolder.h"
#include "base/AppError.h"
#include "controls/Prompter.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "printing/PrintCommands.h"
#include "printing/ReportPrinter.h"

#include <QListWidget>
#include <QLocale>
#include <QTest>

namespace {

const QString rule(95, QLatin1Char('='));

QStringList head(const QString& title)
{
    // The user's long date form, with the weekday and month names of the locale.
    return {"size 32", "bold on", "line ",   "line " + title, "size 16", "line Montag, 9. März 2026",
            "line ",   "size 14", "bold off"};
}

QStringList block(int number, const QString& description, const QString& filename, const QString& days, bool changes,
                  const QStringList& tests = {})
{
    QStringList lines{"line File:" + QString::number(number), "line File Description:\t " + description,
                      "line File Name:\t\t " + filename, "line ", "line Advise if " + days + " days old "};
    for (const QString& test : tests)
        lines << "line " + test;
    if (changes)
        lines << "line Tell me if the file changes";
    lines << "line " + rule << "line ";
    return lines;
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        Clock::setMock(QDateTime(QDate(2026, 3, 9), QTime(14, 30)));
        DateTexts::setLocaleForTesting(QLocale(QLocale::German, QLocale::Germany));
        Prompter::setScripted(true);
        Prompter::clearHistory();
        PrintCommands::setPrinterFactory({});
    }

    void cleanup()
    {
        Clock::reset();
        DateTexts::resetLocaleForTesting();
        PrintCommands::setPrinterFactory({});
        QFile::remove(m_dir.iniPath());
    }

    void allFilesReport_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("body");

        QTest::newRow("inactive entry in the middle")
            << QByteArray("[Settings]\nclosestart=false\n"
                          "[file 0]\nfilename=/data/a.txt\ndescription=Accounts\ndays=7\nadvisechanges=false\n"
                          "[file 1]\nfilename=/data/b.txt\ndescription=Old one\ndays=3\nNotactive=TRUE\n"
                          "[file 2]\nfilename=/data/c.txt\ndescription=Backup\ndays=30\nadvisechanges=true\n"
                          "[file 4]\nfilename=/data/after-the-gap.txt\n")
            << block(0, "Accounts", "/data/a.txt", "7", false) + block(2, "Backup", "/data/c.txt", "30", true);
        QTest::newRow("entry 0 without a file name gives the head only")
            << QByteArray("[file 0]\ndescription=Nameless\ndays=2\n[file 1]\nfilename=/data/b.txt\n") << QStringList();
        QTest::newRow("no watch list file") << QByteArray() << QStringList();
        QTest::newRow("one day keeps the plural")
            << QByteArray("[file 0]\nfilename=/x\ndescription=Daily\ndays=1\n") << block(0, "Daily", "/x", "1", false);
        QTest::newRow("missing values print as empty text")
            << QByteArray("[file 0]\nfilename=/x\n") << block(0, "", "/x", "", false);
        QTest::newRow("advisechanges TRUE")
            << QByteArray("[file 0]\nfilename=/x\ndays=5\nadvisechanges=TRUE\n") << block(0, "", "/x", "5", true);
        QTest::newRow("advisechanges empty")
            << QByteArray("[file 0]\nfilename=/x\ndays=5\nadvisechanges=\n") << block(0, "", "/x", "5", false);
        QTest::newRow("advisechanges only contains true")
            << QByteArray("[file 0]\nfilename=/x\ndays=5\nadvisechanges=untrue\n") << block(0, "", "/x", "5", false);
        QTest::newRow("Notactive other than true is printed")
            << QByteArray("[file 0]\nfilename=/x\ndays=5\nNotactive=false\n[file 1]\nfilename=/y\nNotactive=yes\n")
            << block(0, "", "/x", "5", false) + block(1, "", "/y", "", false);
        QTest::newRow("pattern and smallest size as stored")
            << QByteArray("[file 0]\nfilename=/d/x.zip\ndays=5\nnon-fixed file type=1\nfile pattern=*.zip;*.tar.gz\n"
                          "smallest size=500k\nadvisechanges=true\n")
            << block(0, "", "/d/x.zip", "5", true,
                     {"Only files matching *.zip;*.tar.gz", "Remind me if smaller than 500k"});
        QTest::newRow("empty pattern and size print nothing")
            << QByteArray("[file 0]\nfilename=/x\ndays=5\nfile pattern=\nsmallest size=\n")
            << block(0, "", "/x", "5", false);
        QTest::newRow("a job on a line of its own, blanks alone none")
            << QByteArray(
                   "[file 0]\nfilename=/x\ndays=5\njob= \"/opt/my tools/backup\" --nightly \nadvisechanges=true\n"
                   "[file 1]\nfilename=/y\ndays=5\njob=\" \"\n")
            << block(0, "", "/x", "5", true, {"Job:\t\t\t \"/opt/my tools/backup\" --nightly"}) +
                   block(1, "", "/y", "5", false);
        QTest::newRow("days kept as stored")
            << QByteArray("[file 0]\nfilename=/x\ndays=007 or so\n") << block(0, "", "/x", "007 or so", false);
    }

    void allFilesReport()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, body);
        if (!ini.isNull())
            TestHelpers::writeAll(m_dir.iniPath(), ini);

        RecordingPrinter printer;
        ReportPrinter::printAllFiles(printer, m_dir.iniPath());

        QCOMPARE(printer.calls, head("List of all of your files") + body + QStringList{"end"});
    }

    void allFilesWalkStopsAtTheLastNumber()
    {
        QByteArray ini;
        ini.reserve(32768 * 40);
        for (int n = 0; n <= 32767; ++n) {
            ini += "[file " + QByteArray::number(n) + "]\nfilename=/f\n";
            if (n != 0 && n != 32767)
                ini += "Notactive=true\n";
        }
        TestHelpers::writeAll(m_dir.iniPath(), ini);

        RecordingPrinter printer;
        ReportPrinter::printAllFiles(printer, m_dir.iniPath());

        const QStringList numbers = printer.calls.filter(QRegularExpression("^line File:"));
        QCOMPARE(numbers, (QStringList{"line File:0", "line File:32767"}));
        QCOMPARE(printer.calls.last(), QString("end"));
    }

    void oldFilesReport_data()
    {
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("old and changed rows") << QStringList{"Backup is 8 days old", "Accounts has changed"};
        QTest::newRow("show all files, rows as they stand")
            << QStringList{"Backup is 8 days old", "Notes is 0 days old", "\tTabbed\trow", ""};
        QTest::newRow("empty list") << QStringList();
    }

    void oldFilesReport()
    {
        QFETCH(QStringList, rows);

        RecordingPrinter printer;
        ReportPrinter::printOldFiles(printer, rows);

        QStringList expected = head("List of all your old files");
        for (const QString& row : rows)
            expected << "line " + row;
        expected << "end";
        QCOMPARE(printer.calls, expected);
    }

    void failuresAreToldToTheUser_data()
    {
        QTest::addColumn<int>("failAtLine"); // -2: no printer at all, -3: the real one, its print system out of reach
        QTest::addColumn<bool>("failAtEnd");
        QTest::addColumn<QString>("reason");

        QTest::newRow("no printer") << -2 << false << "No default printer";
        QTest::newRow("no print system") << -3 << false << "No default printer";
        QTest::newRow("fails while printing") << 3 << false << "Paper jam.";
        QTest::newRow("fails at the end") << -1 << true << "Out of toner.";
    }

    void failuresAreToldToTheUser()
    {
        QFETCH(int, failAtLine);
        QFETCH(bool, failAtEnd);
        QFETCH(QString, reason);
        TestHelpers::writeAll(m_dir.iniPath(), "[file 0]\nfilename=/x\n");

        if (failAtLine == -3)
            qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
        else
            PrintCommands::setPrinterFactory([&]() -> std::unique_ptr<TextPrinter> {
                if (failAtLine == -2)
                    throw AppError(TextPrinter::PrinterFault, "test", "No default printer is set up.");
                auto printer = std::make_unique<RecordingPrinter>();
                printer->failAtLine = failAtLine;
                printer->failAtEnd = failAtEnd;
                return printer;
            });

        QVERIFY(!PrintCommands::printAllFiles(nullptr, m_dir.iniPath()));
        QListWidget rows;
        rows.addItems({"a", "b", "c", "d"});
        QVERIFY(!PrintCommands::printOldFiles(nullptr, &rows));
        qunsetenv("CUPS_SERVER");

        const QList<Prompter::Record>& told = Prompter::history();
        QCOMPARE(told.size(), 2);
        for (const Prompter::Record& record : told) {
            QCOMPARE(record.icon, Prompter::Icon::Warning);
            QVERIFY(!record.question);
            QVERIFY2(record.text.contains("could not be printed") && record.text.contains(reason),
                     qPrintable(record.text));
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void printsTheRowsOfTheMainList()
    {
        QListWidget list;
        list.addItems({"Backup is 8 days old", "Accounts has changed"});
        // The command discards its printer when it returns, so the printer hands over what it saw.
        struct Handing : RecordingPrinter
        {
            QStringList* out = nullptr;
            ~Handing() override { *out = calls; }
        };
        QStringList calls;
        PrintCommands::setPrinterFactory([&calls]() -> std::unique_ptr<TextPrinter> {
            auto printer = std::make_unique<Handing>();
            printer->out = &calls;
            return printer;
        });

        QVERIFY(PrintCommands::printOldFiles(nullptr, &list));

        QCOMPARE(calls.mid(9), (QStringList{"line Backup is 8 days old", "line Accounts has changed", "end"}));
        QVERIFY(Prompter::history().isEmpty());
    }

private:
    WatchListFolder m_dir;
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
