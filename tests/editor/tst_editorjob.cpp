#include "MainWindowFixture.h"
#include "TestHelpers.h"
#include "controls/Prompter.h"
#include "editor/EditorCommands.h"
#include "editor/frmaddnewfile.h"
#include "mainwindow/frmfiledsip.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The editor's command and its box: shown from the entry, refused when it cannot run.
class TestEditorJob : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;

    frmaddnewfile& editBackup(const QString& keys)
    {
        m_fx->addEntry(0, QStringLiteral("Backup"), QDateTime::currentDateTime().addDays(-9), 5, keys);
        m_fx->writeWatchList();
        frmfiledsip& window = m_fx->load();
        m_fx->select(0);
        window.fileeditfile_Click();
        return *window.editor()->editor();
    }

private slots:
    void initTestCase() { MainWindowFixture::isolate(); }
    void init() { m_fx = MainWindowFixture::scripted(); }
    void cleanup() { m_fx.reset(); }

    void showsTheStoredJob_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("boxEnabled");

        QTest::newRow("none") << ""
                              << "" << false << false;
        QTest::newRow("a job") << "job=/bin/backup --nightly"
                               << "/bin/backup --nightly" << false << true;
        QTest::newRow("by itself") << "job=backup\njob when late=TRUE"
                                   << "backup" << true << true;
    }

    void showsTheStoredJob()
    {
        QFETCH(QString, keys);
        QFETCH(QString, command);
        QFETCH(bool, ticked);
        QFETCH(bool, boxEnabled);
        frmaddnewfile& editor = editBackup(keys);
        QCOMPARE(editor.txtjob->text(), command);
        QCOMPARE(editor.checkjoblate->isChecked(), ticked);
        QCOMPARE(editor.checkjoblate->isEnabled(), boxEnabled);
        QVERIFY(editor.labjobsafety->text().isEmpty());
        editor.txtjob->clear();
        QVERIFY(!editor.checkjoblate->isEnabled());
        QVERIFY(!editor.entryInput().jobWhenLate);
    }

    void okRefusesACommandThatCannotRun_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("refusal"); // empty when it is saved

        const QString fix = QStringLiteral(" Correct the command, or leave it empty for no job.");
        QTest::newRow("a quote left open") << "\"/bin/true --x"
                                           << "The command has a \" that is never closed." + fix;
        QTest::newRow("one that can run") << "sh -c \"exit 0\""
                                          << "";
        QTest::newRow("none") << "   "
                              << "";
    }

    void okRefusesACommandThatCannotRun()
    {
        QFETCH(QString, command);
        QFETCH(QString, refusal);
        frmaddnewfile& editor = editBackup(QString());
        const QByteArray before = TestHelpers::readAll(m_fx->ini());
        editor.txtjob->setText(command);
        editor.checkjoblate->setChecked(true);
        QTRY_VERIFY(editor.cmdok->isEnabled());
        editor.cmdok->click();
        if (refusal.isEmpty()) {
            QVERIFY(Prompter::history().isEmpty());
            QVERIFY(TestHelpers::readAll(m_fx->ini()) != before);
            return;
        }
        QCOMPARE(Prompter::history().size(), 1);
        QCOMPARE(Prompter::history().first().text, refusal);
        // Nothing is lost: the editor stays with what was typed, and the file as it was.
        QVERIFY(m_fx->window().editor()->editor() == &editor && editor.isVisible());
        QCOMPARE(editor.txtjob->text(), command);
        QVERIFY(editor.checkjoblate->isChecked());
        QCOMPARE(TestHelpers::readAll(m_fx->ini()), before);
    }
};

QTEST_MAIN(TestEditorJob)
#include "tst_editorjob.moc"
