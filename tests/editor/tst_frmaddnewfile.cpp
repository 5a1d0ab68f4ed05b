#include "base/AppInfo.h"
#include "controls/ClickableLabel.h"
#include "controls/Prompter.h"
#include "controls/SpinButton.h"
#include "editor/EditorCommands.h"
#include "editor/frmaddnewfile.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/EntryChecker.h"
#include "engine/EntryWriter.h"
#include "filedialog/FileChooser.h"
#include "mainwindow/ListRefresher.h"
#include "mainwindow/frmfiledsip.h"

#include "MainWindowFixture.h"
#include "PromptChecks.h"
#include "TestHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestFrmAddNewFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MainWindowFixture::isolate(); }

    void init()
    {
        m_fx = MainWindowFixture::scripted();
        m_main = &m_fx->create();
    }

    void cleanup()
    {
        FileChooser::setFunction({});
        m_fx.reset();
    }

    void freshOpen()
    {
        m_main->editnotnew = true;
        m_main->fileadd_Click();
        QVERIFY(!m_main->editnotnew);
        frmaddnewfile* editor = m_main->editor()->editor();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->windowTitle(), AppInfo::productName() + " - Add file to your list");
        QCOMPARE(editor->Labeldaystodelete->text(), QStringLiteral("5 days old"));
        QCOMPARE(editor->listtypeoffile->currentText(), QStringLiteral("newest"));
        QVERIFY(editor->Framecovertypefile->isVisible());
        QVERIFY(!editor->Checkfixedfiles->isChecked());
        QVERIFY(!editor->checkfilechanges->isChecked());
        QVERIFY(editor->txtdescrip->text().isEmpty());
        QVERIFY(editor->cmdfilename->text().isEmpty());
        QVERIFY(!editor->cmdok->isEnabled());

        // OK follows the two fields within a tick of the timer.
        QTest::keyClicks(editor->txtdescrip, QStringLiteral("Monthly report"));
        QTest::qWait(30);
        QVERIFY(!editor->cmdok->isEnabled());
        editor->cmdfilename->setText(path(QStringLiteral("report.doc")));
        QTRY_VERIFY(editor->cmdok->isEnabled());
        editor->txtdescrip->clear();
        QTRY_VERIFY(!editor->cmdok->isEnabled());
    }

    void spin_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("after");

        QTest::newRow("down at 1") << "1 day old" << int(SpinButton::Down) << "1 day old";
        QTest::newRow("up at 1") << "1 day old" << int(SpinButton::Up) << "2 days old";
        QTest::newRow("down to 1") << "2 days old" << int(SpinButton::Down) << "1 day old";
        QTest::newRow("up from 0") << "0 days old" << int(SpinButton::Up) << "1 day old";
        QTest::newRow("down at 0") << "0 days old" << int(SpinButton::Down) << "0 days old";
        QTest::newRow("top of the range") << "32767 days old" << int(SpinButton::Up) << "32767 days old";
    }

    void spin()
    {
        QFETCH(QString, start);
        QFETCH(int, direction);
        QFETCH(QString, after);

        frmaddnewfile& editor = m_main->editor()->load();
        editor.Labeldaystodelete->setText(start);
        const QPoint at(editor.SpB1->width() / 2, direction == SpinButton::Up ? 2 : editor.SpB1->height() - 3);
        QTest::mousePress(editor.SpB1, Qt::LeftButton, {}, at);
        QCOMPARE(editor.Labeldaystodelete->text(), after);
        QVERIFY(editor.Timerspinbox->isActive());
        QTest::mouseRelease(editor.SpB1, Qt::LeftButton, {}, at);
        QVERIFY(!editor.Timerspinbox->isActive());
        QCOMPARE(editor.Labeldaystodelete->text(), after); // a click is one step
    }

    void spinHeld()
    {
        frmaddnewfile& editor = m_main->editor()->load();
        editor.SpB1_SpinDown(SpinButton::Up);
        QCOMPARE(editor.Labeldaystodelete->text(), QStringLiteral("6 days old"));
        QTRY_COMPARE_WITH_TIMEOUT(editor.Labeldaystodelete->text(), QStringLiteral("8 days old"), 3000);
        editor.SpB1_MouseOut();
        const QString stopped = editor.Labeldaystodelete->text();
        QTest::qWait(700);
        QCOMPARE(editor.Labeldaystodelete->text(), stopped);
    }

    void directoryModeRow()
    {
        frmaddnewfile& editor = m_main->editor()->load();
        editor.show();
        editor.Checkfixedfiles->setChecked(true);
        QVERIFY(!editor.Framecovertypefile->isVisible());
        QVERIFY(editor.listtypeoffile->isEnabled());
        QVERIFY(!editor.checkfilechanges->isEnabled());

        // Text of one's own names no item.
        editor.listtypeoffile->setEditText(QStringLiteral("largest"));
        QCOMPARE(editor.entryInput().typeIndex, -1);
        editor.listtypeoffile->setEditText(QStringLiteral("oldest"));
        QCOMPARE(editor.entryInput().typeIndex, 0);

        editor.Checkfixedfiles->setChecked(false);
        QVERIFY(editor.Framecovertypefile->isVisible());
        QVERIFY(!editor.listtypeoffile->isEnabled());
        QVERIFY(editor.checkfilechanges->isEnabled());
        // The pattern row is covered with it, also in a window grown past its design size.
        editor.resize(editor.size() * 3 / 2);
        QCoreApplication::processEvents();
        QVERIFY(!editor.txtpattern->isEnabled());
        QVERIFY(editor.Framecovertypefile->geometry().contains(editor.txtpattern->geometry()));
        QVERIFY(editor.Framecovertypefile->geometry().contains(editor.labpattern->geometry()));
    }

    void editFill_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QString>("days");
        QTest::addColumn<bool>("directory");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("changes");

        QTest::newRow("days 0") << QByteArray("days=0\n") << "0 days old" << false << "newest" << false;
        QTest::newRow("days 1") << QByteArray("days=1\n") << "1 day old" << false << "newest" << false;
        QTest::newRow("days missing") << QByteArray("") << "1 day old" << false << "newest" << false;
        QTest::newRow("type 0") << QByteArray("non-fixed file type=0\n") << "1 day old" << true << "oldest" << false;
        QTest::newRow("type 1") << QByteArray("non-fixed file type=1\n") << "1 day old" << true << "newest" << false;
        QTest::newRow("type 5") << QByteArray("non-fixed file type=5\n") << "1 day old" << true << "newest" << false;
        QTest::newRow("type -1") << QByteArray("non-fixed file type=-1\n") << "1 day old" << false << "newest" << false;
        QTest::newRow("type empty") << QByteArray("non-fixed file type=\n") << "1 day old" << false << "newest"
                                    << false;
        QTest::newRow("advise TRUE") << QByteArray("advisechanges=TRUE\n") << "1 day old" << false << "newest" << true;
        QTest::newRow("advise false") << QByteArray("advisechanges=false\n") << "1 day old" << false << "newest"
                                      << false;
    }

    void editFill()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QString, days);
        QFETCH(bool, directory);
        QFETCH(QString, type);
        QFETCH(bool, changes);

        frmaddnewfile& editor = editFromRow("[file 3]\nfilename=/data/report.doc\ndescription=Monthly report\n" + keys);
        QVERIFY(m_main->editnotnew);
        QCOMPARE(m_main->filenumber, qint16(3));
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.cmdfilename->text(), QStringLiteral("/data/report.doc"));
        QCOMPARE(editor.txtdescrip->text(), QStringLiteral("Monthly report"));
        QCOMPARE(editor.Labeldaystodelete->text(), days);
        QCOMPARE(editor.Checkfixedfiles->isChecked(), directory);
        QCOMPARE(editor.Framecovertypefile->isVisible(), !directory);
        QCOMPARE(editor.listtypeoffile->currentText(), type);
        QCOMPARE(editor.checkfilechanges->isChecked(), changes);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(m_main->updatesEnabled());
    }

    void cancelKeepsTheContents()
    {
        frmaddnewfile* editor = &subscribe();
        QVERIFY(editor->timecheckentrys->isActive());
        editor->txtdescrip->setText(QStringLiteral("Backup"));
        editor->cmdfilename->setText(QStringLiteral("/data/backup.zip"));
        editor->checkfilechanges->setChecked(true);
        QTest::mouseClick(editor->cmdcancel, Qt::LeftButton);
        QVERIFY(!editor->isVisible());
        // Hidden, it stays idle.
        QVERIFY(!editor->timecheckentrys->isActive());
        QCOMPARE(m_main->editor()->editor(), editor);

        QCOMPARE(&subscribe(), editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->txtdescrip->text(), QStringLiteral("Backup"));
        QCOMPARE(editor->cmdfilename->text(), QStringLiteral("/data/backup.zip"));
        // Shown again, the check runs at once rather than a tick later.
        QVERIFY(editor->timecheckentrys->isActive());
        QVERIFY(editor->cmdok->isEnabled());

        // An edit fill of an entry without change reporting leaves the ticked box alone.
        editor->hide();
        editFromRow("[file 3]\nfilename=/data/other.txt\ndescription=Other\nadvisechanges=false\n");
        QCOMPARE(m_main->editor()->editor(), editor);
        QVERIFY(editor->checkfilechanges->isChecked());
        QCOMPARE(editor->txtdescrip->text(), QStringLiteral("Other"));

        // The close box unloads: the next Subscribe starts afresh.
        editor->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_main->editor()->editor());
        QVERIFY(subscribe().txtdescrip->text().isEmpty());
        QVERIFY(!subscribe().checkfilechanges->isChecked());
    }

    void fileLabelClick()
    {
        const QString existing = path(QStringLiteral("present.txt"));
        TestHelpers::writeAll(existing, "x");
        frmaddnewfile& editor = m_main->editor()->load();
        QList<FileChoiceRequest> asked;
        QStringList labelDuringDialog;
        std::optional<QString> answer;
        FileChooser::setFunction([&](const FileChoiceRequest& r) {
            asked.append(r);
            labelDuringDialog.append(editor.cmdfilename->text());
            return answer;
        });

        // An existing file's name is taken away while the dialog is open; a cancel brings it back.
        editor.cmdfilename->setText(existing);
        QTest::keyClick(editor.cmdfilename, Qt::Key_Space);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(labelDuringDialog.last(), QString());
        QCOMPARE(asked.last().folder, QDir::homePath());
        QCOMPARE(asked.last().caption, QStringLiteral("Please Select a file to add"));
        QVERIFY(asked.last().owner == &editor);
        QCOMPARE(editor.cmdfilename->text(), existing);

        // A missing file's folder is where the dialog opens; the choice replaces the label.
        const QString gone = path(QStringLiteral("Old/gone.txt"));
        editor.cmdfilename->setText(gone);
        editor.filedatetext = QStringLiteral("stale");
        answer = existing;
        QTest::mouseClick(editor.cmdfilename, Qt::LeftButton);
        QCOMPARE(labelDuringDialog.last(), gone);
        QCOMPARE(asked.last().folder, path(QStringLiteral("Old/")));
        QCOMPARE(editor.cmdfilename->text(), existing);
        QVERIFY(editor.filedatetext.isEmpty());

        // Cancelling with no file chosen yet leaves the label empty.
        editor.cmdfilename->clear();
        answer.reset();
        editor.cmdfilename_Click();
        QCOMPARE(asked.last().folder, QString());
        QVERIFY(editor.cmdfilename->text().isEmpty());
    }

    void infoLine_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("daysAgo");    // of the chosen file
        QTest::addColumn<QString>("ending"); // empty: no file matches
        QTest::newRow("today") << false << QString() << 0 << " and is 0 days old";
        QTest::newRow("yesterday") << false << QString() << 1 << " and is 1 day old";
        QTest::newRow("a month ago") << false << QString() << 30 << " and is 30 days old";
        QTest::newRow("folder, no pattern: the chosen file") << true << QString() << 3 << " and is 3 days old";
        QTest::newRow("folder, pattern") << true << "*.ZIP;*.tar.gz" << 3 << " and is 3 days old";
        QTest::newRow("folder, nothing matches") << true << "*.doc" << 3 << QString();
    }

    void infoLine()
    {
        QFETCH(bool, folder);
        QFETCH(QString, pattern);
        QFETCH(int, daysAgo);
        QFETCH(QString, ending);

        const QDate today = QDate::currentDate();
        Clock::setMock(QDateTime(today, QTime(12, 0)));
        const QDateTime changed(today.addDays(-daysAgo), QTime(11, 0));
        QVERIFY(QDir().mkpath(path(QStringLiteral("folder"))));
        const QString file = path(QStringLiteral("folder/backup.zip"));
        TestHelpers::touch(file, changed);
        // A newer file beside it, which a folder entry's line does not take.
        TestHelpers::touch(path(QStringLiteral("folder/notes.txt")), QDateTime(today, QTime(11, 30)));

        frmaddnewfile& editor = m_main->editor()->load();
        editor.Checkfixedfiles->setChecked(folder);
        editor.cmdfilename->setText(file);
        editor.timecheckentrys_Timer();
        // The line follows the pattern as it is typed, not only the file name.
        editor.txtpattern->setText(pattern);
        editor.timecheckentrys_Timer();
        QCOMPARE(editor.labfileinfo->text(), ending.isEmpty()
                                                 ? QStringLiteral("No file in this directory matches")
                                                 : "File Last Changed " + DateTexts::longDate(changed.date()) + ending);
        if (!folder)
            QCOMPARE(editor.filedatetext, DateTexts::generalDate(changed));
    }

    void missingFileIsLookedForAgain()
    {
        const QString file = path(QStringLiteral("later.txt"));
        frmaddnewfile& editor = subscribe();
        editor.cmdfilename->setText(file);
        QTRY_COMPARE(editor.labfileinfo->text(), QStringLiteral("The file was not found"));
        QVERIFY(editor.filedatetext.isEmpty());
        TestHelpers::writeAll(file, "x");
        QTRY_VERIFY(editor.labfileinfo->text().startsWith(QStringLiteral("File Last Changed ")));
        QVERIFY(!editor.filedatetext.isEmpty());
    }

    void saveNewEntry()
    {
        const QString watched = path(QStringLiteral("report.doc"));
        TestHelpers::touch(watched, QDateTime::currentDateTime().addDays(-10));
        const QString kept = path(QStringLiteral("kept.txt"));
        TestHelpers::writeAll(kept, "x");
        const QString before = QStringLiteral("[file 0]\nfilename=%1\ndays=9999\ndescription=Kept\n").arg(kept);
        TestHelpers::writeAll(m_fx->ini(), before.toUtf8());

        frmaddnewfile& editor = subscribe();
        editor.cmdfilename->setText(watched);
        editor.txtdescrip->setText(QStringLiteral("Monthly report"));
        clickOk(editor);

        QVERIFY(!m_main->editor()->editor());
        const QString expected = before + QStringLiteral("[File 1]\nfilename=%1\ndays=5\ndescription=Monthly report\n"
                                                         "Postponedate=\nNotactive=false\nnon-fixed file type=\n"
                                                         "advisechanges=false\n")
                                              .arg(watched);
        QCOMPARE(QString::fromUtf8(TestHelpers::readAll(m_fx->ini())), expected);

        // The next Subscribe shows a fresh editor.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(subscribe().cmdfilename->text().isEmpty());
        QCOMPARE(subscribe().Labeldaystodelete->text(), QStringLiteral("5 days old"));
    }

    void saveEditedEntry()
    {
        const QString watched = path(QStringLiteral("a.txt"));
        TestHelpers::writeAll(watched, "x");
        const QString stored = QStringLiteral("[file 3]\nfilename=%1\ndays=7\ndescription=A\nPostponedate=01/01/2099\n"
                                              "Notactive=false\nnon-fixed file type=0\nadvisechanges=true\n"
                                              "last date changed=x\n")
                                   .arg(watched);
        frmaddnewfile& editor = editFromRow(stored.toUtf8());
        editor.checkfilechanges->setChecked(true);
        QTest::keyClicks(editor.txtdescrip, QStringLiteral("B"));
        clickOk(editor);

        QVERIFY(!m_main->editor()->editor());
        QCOMPARE(QString::fromUtf8(TestHelpers::readAll(m_fx->ini())),
                 QStringLiteral("[file 3]\nfilename=%1\ndays=7\ndescription=AB\nPostponedate=\nNotactive=false\n"
                                "non-fixed file type=0\nadvisechanges=false\nlast date changed=x\n")
                     .arg(watched));
    }

    void longStoredDescription_data()
    {
        QTest::addColumn<int>("erased");    // characters taken off the end first
        QTest::addColumn<QString>("typed"); // then typed
        QTest::addColumn<int>("savedLength");

        QTest::newRow("untouched") << 0 << "" << 51;
        QTest::newRow("typing adds nothing") << 0 << "xyz" << 51;
        QTest::newRow("shortened") << 5 << "" << 46;
        QTest::newRow("shortened, then typed back") << 5 << "abcdefg" << 46;
        QTest::newRow("under the limit, the limit holds") << 30 << QString(40, 'y') << 35;
    }

    void longStoredDescription()
    {
        QFETCH(int, erased);
        QFETCH(QString, typed);
        QFETCH(int, savedLength);
        const QString description = QStringLiteral("The nightly backup of the accounts and the invoices");
        const QString watched = path(QStringLiteral("a.txt"));
        TestHelpers::writeAll(watched, "x");
        frmaddnewfile& editor =
            editFromRow(QStringLiteral("[file 3]\nfilename=%1\ndescription=%2\n").arg(watched, description).toUtf8());
        QCOMPARE(editor.txtdescrip->text(), description);
        editor.txtdescrip->setFocus();
        editor.txtdescrip->end(false);
        for (int i = 0; i < erased; ++i)
            QTest::keyClick(editor.txtdescrip, Qt::Key_Backspace);
        QTest::keyClicks(editor.txtdescrip, typed);
        clickOk(editor);
        const QString saved = TestHelpers::stored(m_fx->ini(), 3, QStringLiteral("description"));
        QCOMPARE(saved.size(), savedLength);
        QVERIFY(saved.startsWith(description.left(qMin(savedLength, 51 - erased))));
    }

    void patternAndSmallestSize_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QString>("pattern"); // shown, and saved when the entry is a folder's
        QTest::addColumn<QString>("smallest");
        QTest::addColumn<bool>("folder");

        QTest::newRow("folder entry") << QByteArray("non-fixed file type=1\nfile pattern=*.zip\nsmallest size=500K\n")
                                      << QStringLiteral("*.zip") << QStringLiteral("500K") << true;
        QTest::newRow("fixed file") << QByteArray("smallest size=2 M\n") << QString() << QStringLiteral("2 M") << false;
    }

    void patternAndSmallestSize()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QString, pattern);
        QFETCH(QString, smallest);
        QFETCH(bool, folder);
        const QString watched = path(QStringLiteral("a.zip"));
        TestHelpers::writeAll(watched, "x");
        frmaddnewfile& editor =
            editFromRow(QStringLiteral("[file 3]\nfilename=%1\ndescription=A\n").arg(watched).toUtf8() + keys);
        QCOMPARE(editor.txtpattern->text(), pattern);
        QCOMPARE(editor.txtsmallest->text(), smallest);
        // A pattern left in the covered row is not the fixed file's.
        if (!folder)
            editor.txtpattern->setText(QStringLiteral("*.log"));
        clickOk(editor);

        QVERIFY(!m_main->editor()->editor());
        const QString absent = QStringLiteral("<absent>");
        QCOMPARE(TestHelpers::stored(m_fx->ini(), 3, QStringLiteral("file pattern"), absent),
                 folder ? pattern : absent);
        QCOMPARE(TestHelpers::stored(m_fx->ini(), 3, QStringLiteral("smallest size"), absent), smallest);
    }

    void saveRefused_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("smallest");
        QTest::addColumn<QString>("refusal");

        QTest::newRow("no description") << QString() << QString() << QString()
                                        << QStringLiteral("You must enter a description of the file");
        QTest::newRow("pattern names a folder")
            << QStringLiteral("Backup") << QStringLiteral("backups/*.zip") << QString()
            << EntryWriter::message(EntryWriter::Result::PatternHoldsFolder);
        QTest::newRow("size in words") << QStringLiteral("Backup") << QStringLiteral("*.zip") << QStringLiteral("lots")
                                       << EntryWriter::message(EntryWriter::Result::NotASize);
    }

    void saveRefused()
    {
        QFETCH(QString, description);
        QFETCH(QString, pattern);
        QFETCH(QString, smallest);
        QFETCH(QString, refusal);
        frmaddnewfile* editor = &subscribe();
        editor->cmdfilename->setText(QStringLiteral("/data/a.zip"));
        editor->txtdescrip->setText(description);
        editor->Checkfixedfiles->setChecked(!pattern.isEmpty());
        editor->txtpattern->setText(pattern);
        editor->txtsmallest->setText(smallest);
        editor->cmdok_Click();
        const Prompter::Record* told = PromptChecks::onlyMessage(Prompter::Icon::Information);
        QVERIFY(told);
        QCOMPARE(told->text, refusal);
        QCOMPARE(m_main->editor()->editor(), editor);
        QVERIFY(!QFileInfo::exists(m_fx->ini()));
    }

private:
    QString path(const QString& name) const { return m_fx->filePath(name); }
    frmaddnewfile& editFromRow(const QByteArray& entrySection)
    {
        TestHelpers::writeAll(m_fx->ini(), entrySection);
        // Another copy's row map says otherwise; the row's own entry counts.
        TestHelpers::writeAll(m_fx->rowMap(), "[tempfile 0]\nrealnumber=0\n");
        m_main->listoldfiles->clear();
        m_main->listoldfiles->addItem(ListRefresher::makeRow(CheckRow{QStringLiteral("Some row"), 3}));
        m_main->listoldfiles->setCurrentRow(0);
        m_main->fileeditfile_Click();
        return m_main->editor()->load();
    }

    static void clickOk(frmaddnewfile& editor)
    {
        editor.timecheckentrys_Timer();
        QVERIFY(editor.cmdok->isEnabled());
        QTest::mouseClick(editor.cmdok, Qt::LeftButton);
    }

    // The editor as Subscribe opens it.
    frmaddnewfile& subscribe()
    {
        m_main->editor()->fileadd_Click();
        return *m_main->editor()->editor();
    }

    std::unique_ptr<MainWindowFixture> m_fx;
    // Never started: the editor's owner is all these tests need of it.
    frmfiledsip* m_main = nullptr;
};

QTEST_MAIN(TestFrmAddNewFile)
#include "tst_frmaddnewfile.moc"
