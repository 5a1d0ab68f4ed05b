#include "base/AppError.h"
#include "filedialog/clsOpenSave.h"

#include <QDir>
#include <QTest>

// Plays the user: records what the dialog was asked and answers with a path or a cancel.
struct PlayedChooser
{
    std::optional<FileChoice> answer;
    QList<FileChoiceRequest> asked;

    PlayedChooser()
    {
        FileChooser::setFunction([this](const FileChoiceRequest& r) {
            asked.append(r);
            return answer;
        });
    }
    ~PlayedChooser() { FileChooser::setFunction({}); }
};

class TestClsOpenSave : public QObject
{
    Q_OBJECT

private slots:
    void freshInstance()
    {
        // Nothing set: all files from the home folder, nothing named, and a cancel that passes silently.
        PlayedChooser user;
        clsOpenSave d;
        d.ShowOpen();
        const FileChoiceRequest& r = user.asked.first();
        QCOMPARE(r.nameFilters, QStringList{"All Files (*)"});
        QCOMPARE(r.filterIndex, 0);
        QCOMPARE(r.folder, QDir::homePath());
        QVERIFY(r.fileName.isEmpty() && r.caption.isEmpty() && r.defaultSuffix.isEmpty() && !r.owner);
        QCOMPARE(r.fileMode, QFileDialog::AnyFile);
        QVERIFY(d.FileName().isEmpty() && d.FileTitle().isEmpty());
        QCOMPARE(d.FileExt(), qint16(0));
    }

    void filterConversion_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored"); // "0" stands for NUL
        QTest::addColumn<QString>("readBack");

        QTest::newRow("two parts") << "Text|*.txt"
                                   << "Text0*.txt00"
                                   << "Text|*.txt";
        QTest::newRow("trailing bar") << "Text|*.txt|"
                                      << "Text0*.txt00"
                                      << "Text|*.txt";
        QTest::newRow("empty") << ""
                               << "00"
                               << "";
        QTest::newRow("two pairs") << "A|*.a|B|*.b;*.c"
                                   << "A0*.a0B0*.b;*.c00"
                                   << "A|*.a|B|*.b;*.c";
        QTest::newRow("ends in two bars") << "A|*.a||"
                                          << "A0*.a00"
                                          << "A|*.a";
    }

    void filterConversion()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        QFETCH(QString, readBack);

        clsOpenSave d;
        d.setFilter(given);
        QCOMPARE(d.storedFilter(), QString(stored).replace(u'0', QChar(0)));
        QCOMPARE(d.Filter(), readBack);
    }

    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("default") << "All Files (*.*)|*.*" << QStringList{"All Files (*)"};
        QTest::newRow("several patterns") << "Documents|*.doc; *.txt" << QStringList{"Documents (*.doc *.txt)"};
        QTest::newRow("two pairs") << "Text (*.txt)|*.txt|All|*.*" << QStringList{"Text (*.txt)", "All (*)"};
        QTest::newRow("unpaired description dropped") << "Text|*.txt|Lonely" << QStringList{"Text (*.txt)"};
        QTest::newRow("empty part ends the list") << "Text|*.txt||x|*.x" << QStringList{"Text (*.txt)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(clsOpenSave::nameFilters(clsOpenSave::toStoredFilter(filter)), expected);
    }

    void cancel_data()
    {
        QTest::addColumn<bool>("cancelError");
        QTest::newRow("silent") << false;
        QTest::newRow("raises") << true;
    }

    void cancel()
    {
        QFETCH(bool, cancelError);
        PlayedChooser user;
        clsOpenSave d;
        d.setCancelError(cancelError);
        d.setFileName(QStringLiteral("/data/before.txt"));
        d.setFilterIndex(1);

        bool raised = false;
        try {
            d.ShowOpen();
        } catch (const AppError& e) {
            raised = true;
            QCOMPARE(e.number(), 32755);
            QCOMPARE(e.source(), QStringLiteral("Run-time error"));
            QCOMPARE(e.description(), QStringLiteral("Cancel was selected"));
        }
        QCOMPARE(raised, cancelError);
        QCOMPARE(user.asked.size(), 1);
        QCOMPARE(d.FileName(), QStringLiteral("/data/before.txt"));
        QVERIFY(d.FileTitle().isEmpty());
        QCOMPARE(d.FileExt(), qint16(0));
    }

    void choiceFillsTheResults()
    {
        PlayedChooser user;
        user.answer = FileChoice{QStringLiteral("  /home/u/my.dir/report.doc  "), 1};
        clsOpenSave d;
        d.setFilter(QStringLiteral("Text|*.txt|Word|*.doc"));
        d.setInitDir(QStringLiteral(" /home/u "));
        d.ShowOpen();

        QCOMPARE(d.FileName(), QStringLiteral("/home/u/my.dir/report.doc"));
        QCOMPARE(d.FileTitle(), QStringLiteral("report.doc"));
        QCOMPARE(d.FileExt(), qint16(QStringLiteral("/home/u/my.dir/report.").size()));
        QCOMPARE(d.FilterIndex(), qint16(2));
        QCOMPARE(d.InitDir(), QStringLiteral("/home/u"));
        QCOMPARE(d.Filter(), QStringLiteral("Text|*.txt|Word|*.doc"));

        // A dot in a folder name is no extension.
        user.answer = FileChoice{QStringLiteral("/home/u/my.dir/README"), 0};
        d.ShowSave();
        QCOMPARE(d.FileExt(), qint16(0));
        QCOMPARE(d.FileTitle(), QStringLiteral("README"));
        QCOMPARE(d.FilterIndex(), qint16(1));

        // The next dialog starts from that choice, and a cancel there keeps it.
        user.answer.reset();
        d.ShowOpen();
        QCOMPARE(user.asked.last().fileName, QStringLiteral("/home/u/my.dir/README"));
        QCOMPARE(d.FileName(), QStringLiteral("/home/u/my.dir/README"));
    }

    void requestCarriesTheProperties()
    {
        PlayedChooser user;
        QWidget owner;
        clsOpenSave d;
        d.setHwnd(&owner);
        d.setFilter(QStringLiteral("Text|*.txt|Word|*.doc"));
        d.setFilterIndex(2);
        d.setFileName(QStringLiteral("draft.doc"));
        d.setInitDir(QStringLiteral("/srv/docs"));
        d.setDialogTitle(QStringLiteral("Please Select a file to add"));
        d.setDefaultExt(QStringLiteral("doc"));
        d.ShowSave();

        QCOMPARE(user.asked.size(), 1);
        const FileChoiceRequest& r = user.asked.first();
        QCOMPARE(r.kind, FileChoiceRequest::Kind::Save);
        QVERIFY(r.owner == &owner);
        QCOMPARE(r.nameFilters, (QStringList{"Text (*.txt)", "Word (*.doc)"}));
        QCOMPARE(r.filterIndex, 1);
        QCOMPARE(r.fileName, QStringLiteral("draft.doc"));
        QCOMPARE(r.folder, QStringLiteral("/srv/docs"));
        QCOMPARE(r.caption, QStringLiteral("Please Select a file to add"));
        QCOMPARE(r.defaultSuffix, QStringLiteral("doc"));

        // An index beyond the list shows the first filter.
        d.setFilterIndex(9);
        d.ShowOpen();
        QCOMPARE(user.asked.last().filterIndex, 0);
        QCOMPARE(user.asked.last().kind, FileChoiceRequest::Kind::Open);
    }

    void optionBits()
    {
        PlayedChooser user;
        clsOpenSave d;
        d.setFlags(0x80004);
        d.ShowOpen();
        d.ShowSave();
        QCOMPARE(user.asked.at(0).fileMode, QFileDialog::AnyFile);
        QVERIFY(!user.asked.at(0).options.testFlag(QFileDialog::DontConfirmOverwrite));
        QVERIFY(user.asked.at(1).options.testFlag(QFileDialog::DontConfirmOverwrite));

        d.setFlags(clsOpenSave::OFN_FILEMUSTEXIST | clsOpenSave::OFN_OVERWRITEPROMPT |
                   clsOpenSave::OFN_NODEREFERENCELINKS);
        d.ShowOpen();
        d.ShowSave();
        QCOMPARE(user.asked.at(2).fileMode, QFileDialog::ExistingFile);
        QVERIFY(user.asked.at(2).options.testFlag(QFileDialog::DontResolveSymlinks));
        QVERIFY(!user.asked.at(3).options.testFlag(QFileDialog::DontConfirmOverwrite));

        // The bits come back as passed, with the one the dialog itself reports.
        d.setFlags(0x80004);
        d.setDefaultExt(QStringLiteral("txt"));
        user.answer = FileChoice{QStringLiteral("/tmp/a.log"), 0};
        d.ShowSave();
        QCOMPARE(d.Flags(), 0x80004 | clsOpenSave::OFN_EXTENSIONDIFFERENT);
        user.answer = FileChoice{QStringLiteral("/tmp/a.TXT"), 0};
        d.ShowSave();
        QCOMPARE(d.Flags(), 0x80004);
    }
};

QTEST_MAIN(TestClsOpenSave)
#include "tst_clsopensave.moc"
