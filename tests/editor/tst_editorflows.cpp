#include "MainWindowFixture.h"
#include "PromptChecks.h"
#include "TestHelpers.h"
#include "controls/ClickableLabel.h"
#include "editor/EditorCommands.h"
#include "editor/frmaddnewfile.h"
#include "engine/EntryWriter.h"
#include "engine/WatchListFile.h"
#include "filedialog/FileChooser.h"
#include "mainwindow/frmfiledsip.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <unistd.h>

// The ways a user goes through the entry editor and the options from the main window, as they
// click them, in every order that matters.
class TestEditorFlows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;
    QTemporaryDir m_data;

    frmaddnewfile* editor() const { return m_fx->window().editor()->editor(); }

    // One step as the user takes it, then the event loop runs a moment, as it does between clicks.
    void step(const QString& what)
    {
        const QString argument = what.section(QLatin1Char(' '), 1);
        frmfiledsip& w = m_fx->window();
        if (what.startsWith(QLatin1String("edit "))) {
            m_fx->select(argument.toInt());
            w.menus().fileeditfile->trigger();
        } else if (what == QLatin1String("add")) {
            w.menus().fileadd->trigger();
        } else if (what.startsWith(QLatin1String("pick "))) {
            const QString file = m_fx->filePath(argument);
            TestHelpers::writeAll(file, "x");
            FileChooser::setFunction([file](const FileChoiceRequest&) { return std::optional<QString>(file); });
            QTest::mouseClick(editor()->cmdfilename, Qt::LeftButton);
        } else if (what.startsWith(QLatin1String("type "))) {
            editor()->txtdescrip->selectAll();
            QTest::keyClicks(editor()->txtdescrip, argument);
        } else if (what == QLatin1String("ok")) {
            QTRY_VERIFY(editor()->cmdok->isEnabled());
            QTest::mouseClick(editor()->cmdok, Qt::LeftButton);
        } else if (what == QLatin1String("cancel")) {
            QTest::mouseClick(editor()->cmdcancel, Qt::LeftButton);
        } else {
            QCOMPARE(what, QStringLiteral("close"));
            editor()->close();
        }
        QTest::qWait(30);
    }

    // Every entry of the watch list as "number=description".
    QStringList entries() const
    {
        QStringList out;
        for (int n = 0; n < 5; ++n) {
            const QString description = TestHelpers::stored(m_fx->ini(), n, QStringLiteral("description"));
            if (!description.isEmpty())
                out << QStringLiteral("%1=%2").arg(n).arg(description);
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        MainWindowFixture::isolate();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    }

    void init()
    {
        m_fx = MainWindowFixture::scripted();
        const QDateTime now = QDateTime::currentDateTime();
        m_fx->addEntry(0, QStringLiteral("Backup"), now.addDays(-8), 5);
        m_fx->addEntry(1, QStringLiteral("Budget"), now.addDays(-9), 5);
        m_fx->writeWatchList();
    }

    void cleanup()
    {
        FileChooser::setFunction({});
        m_fx.reset();
    }

    void addEditAndCancel_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("entries"); // the watch list afterwards
        QTest::addColumn<QString>("shown");       // the editor's description then, "-" with no editor

        const QStringList both{"0=Backup", "1=Budget"};
        QTest::newRow("add") << QStringList{"add", "pick new.txt", "type Diary", "ok"} << both + QStringList{"2=Diary"}
                             << "-";
        // Add shows what the cancelled edit held, and saves it as a new entry.
        QTest::newRow("add after a cancelled edit")
            << QStringList{"edit 1", "cancel", "add", "ok"} << both + QStringList{"2=Budget"} << "-";
        QTest::newRow("add while an edit is open")
            << QStringList{"edit 0", "type Ledger", "add", "ok"} << both + QStringList{"2=Ledger"} << "-";
        QTest::newRow("edit after a cancelled add")
            << QStringList{"add", "type Diary", "cancel", "edit 1", "type Ledger", "ok"}
            << QStringList{"0=Backup", "1=Ledger"} << "-";
        QTest::newRow("edit another after a cancelled edit")
            << QStringList{"edit 0", "type Ledger", "cancel", "edit 1", "type Bank", "ok"}
            << QStringList{"0=Backup", "1=Bank"} << "-";
        QTest::newRow("edit, cancel, add, cancel, edit")
            << QStringList{"edit 1", "cancel", "add", "cancel", "edit 0", "type Tapes", "ok"}
            << QStringList{"0=Tapes", "1=Budget"} << "-";
        QTest::newRow("cancelled edit shown again by add")
            << QStringList{"edit 0", "type Ledger", "cancel", "add"} << both << "Ledger";
        QTest::newRow("add after the close box starts afresh")
            << QStringList{"edit 0", "type Ledger", "close", "add"} << both << "";
        QTest::newRow("everything cancelled")
            << QStringList{"add", "type Diary", "cancel", "edit 1", "cancel"} << both << "Budget";
    }

    void addEditAndCancel()
    {
        QFETCH(QStringList, steps);
        m_fx->load();
        QCOMPARE(m_fx->rows(),
                 (QStringList{QStringLiteral("Backup is 8 days old"), QStringLiteral("Budget is 9 days old")}));
        for (const QString& what : std::as_const(steps)) {
            step(what);
            if (QTest::currentTestFailed())
                return;
        }
        QTEST(entries(), "entries");
        QFETCH(QString, shown);
        QCOMPARE(editor() ? editor()->txtdescrip->text() : QStringLiteral("-"), shown);
        QVERIFY(Prompter::history().isEmpty());
    }

    // The info line tells of the entry shown, not of the one a cancelled edit showed before.
    void infoLineFollowsTheEntry()
    {
        m_fx->load();
        step(QStringLiteral("edit 0"));
        QTRY_VERIFY(editor()->labfileinfo->text().endsWith(QLatin1String("and is 8 days old")));
        step(QStringLiteral("cancel"));
        step(QStringLiteral("edit 1"));
        QTRY_VERIFY2(editor()->labfileinfo->text().endsWith(QLatin1String("and is 9 days old")),
                     qPrintable(editor()->labfileinfo->text()));
    }

    // A save the list refuses keeps the editor and what it holds, to be saved once it can be.
    void refusedSaveKeepsTheEditor()
    {
        // Not loaded: no background check is to read the full list meanwhile.
        m_fx->create();
        step(QStringLiteral("add"));
        step(QStringLiteral("pick new.txt"));
        step(QStringLiteral("type Diary"));
        const QByteArray small = TestHelpers::readAll(m_fx->ini());
        // Another copy fills the list meanwhile.
        QByteArray full = small;
        for (int n = 2; n <= WatchListFile::kLastEntryNumber; ++n)
            full += TestHelpers::entrySection(n, QStringLiteral("/f"), QString());
        TestHelpers::writeAll(m_fx->ini(), full);
        step(QStringLiteral("ok"));
        const Prompter::Record* told = PromptChecks::onlyMessage(Prompter::Icon::Information);
        QVERIFY(told);
        QCOMPARE(told->text, EntryWriter::message(EntryWriter::Result::ListFull));
        QVERIFY(editor() && editor()->isVisible());
        QCOMPARE(editor()->txtdescrip->text(), QStringLiteral("Diary"));

        TestHelpers::writeAll(m_fx->ini(), small);
        step(QStringLiteral("ok"));
        QVERIFY(!editor());
        QCOMPARE(entries(), (QStringList{"0=Backup", "1=Budget", "2=Diary"}));
    }

    // An installed program's folder cannot be written: the list, its entries and its options go
    // to the user's own data folder, and nothing is written beside the program.
    void programFolderReadOnly()
    {
        if (::geteuid() == 0)
            QSKIP("Running as root, every folder is writable");
        const QString program = m_fx->filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        const WatchListFile::Paths paths = WatchListFile::locate(program);
        QVERIFY2(paths.inifilename.startsWith(m_data.path()), qPrintable(paths.inifilename));
        frmfiledsip& w = m_fx->create();
        w.inifilename = paths.inifilename;
        w.tempinifilename = paths.tempinifilename;
        QVERIFY(w.Form_Load());
        step(QStringLiteral("add"));
        step(QStringLiteral("pick new.txt"));
        step(QStringLiteral("type Diary"));
        step(QStringLiteral("ok"));
        w.menus().optionsminstartup->trigger();
        QVERIFY(Prompter::history().isEmpty());
        QVERIFY(w.menus().optionsminstartup->isChecked());
        QCOMPARE(TestHelpers::stored(paths.inifilename, 0, QStringLiteral("description")), QStringLiteral("Diary"));
        QCOMPARE(TestHelpers::setting(paths.inifilename, QStringLiteral("Start in Tray")), QStringLiteral("true"));
        QCOMPARE(m_fx->rows(), QStringList());
        QVERIFY(QDir(program).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_MAIN(TestEditorFlows)
#include "tst_editorflows.moc"
