#include "MainWindowFixture.h"
#include "PermissionsApply.h"
#include "PromptChecks.h"
#include "TestHelpers.h"
#include "commands/OptionsCommands.h"
#include "controls/Prompter.h"
#include "desktop/AutostartEntry.h"
#include "desktop/RegistryStore.h"
#include "mainwindow/frmfiledsip.h"
#include "store/IniFile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

using TestHelpers::readAll;
using TestHelpers::setting;
using TestHelpers::writeAll;

namespace {

QString entryPath()
{
    return AutostartEntry(QStringLiteral("Staleguard StartUp")).filePath();
}

void writeEntry(const QByteArray& exec)
{
    QVERIFY(QDir().mkpath(AutostartEntry::folder()));
    writeAll(entryPath(), "[Desktop Entry]\nType=Application\nName=Staleguard StartUp\nExec=" + exec + "\n");
}

// The command line of an Exec value, with the file format's escapes undone by hand.
QString execCommandLine(const QString& file)
{
    for (const QString& line : QString::fromUtf8(readAll(file)).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("Exec=")))
            continue;
        QString out;
        const QString value = line.mid(5);
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
                const QChar next = value[++i];
                out += next == QLatin1Char('s') ? QStringLiteral(" ") : QString(next);
            } else if (value[i] == QLatin1Char('%') && i + 1 < value.size() && value[i + 1] == QLatin1Char('%')) {
                out += value[i++];
            } else {
                out += value[i];
            }
        }
        return out;
    }
    return QString();
}

} // namespace

class TestOptionsCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;

    void checkWindowUntouched(frmfiledsip& w)
    {
        QTest::qWait(20);
        QVERIFY(w.isVisible());
        QVERIFY(!w.isMinimized());
        QVERIFY(!w.Timerclosestart->isActive());
        QVERIFY(m_fx->ended.isEmpty());
    }

private slots:
    void initTestCase() { MainWindowFixture::isolate(); }

    void init()
    {
        m_fx = MainWindowFixture::scripted();
        QFile::remove(entryPath());
    }

    void cleanup()
    {
        m_fx.reset();
        QFile::setPermissions(AutostartEntry::folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(entryPath());
    }

    void fileOptionsFlip_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("direct"); // the handler called as other code would, not through the menu
        QTest::newRow("tray") << "optionsminstartup"
                              << "Start in Tray" << false;
        QTest::newRow("close") << "optionsclosestart"
                               << "Close on Start" << false;
        QTest::newRow("tray, handler") << "optionsminstartup"
                                       << "Start in Tray" << true;
        QTest::newRow("close, handler") << "optionsclosestart"
                                        << "Close on Start" << true;
    }

    void fileOptionsFlip()
    {
        QFETCH(QString, item);
        QFETCH(QString, key);
        QFETCH(bool, direct);
        // No "Settings" section at all, and nothing to report: either option, had it been on,
        // would have acted at this start.
        writeAll(m_fx->ini(), "[file 0]\nfilename=\n");
        frmfiledsip& w = m_fx->loadAndShow();
        auto* action = w.findChild<QAction*>(item);
        QVERIFY(!action->isChecked());
        const auto click = [&] {
            if (!direct)
                action->trigger();
            else if (item == QLatin1String("optionsminstartup"))
                w.findChild<OptionsCommands*>()->optionsminstartup_Click();
            else
                w.findChild<OptionsCommands*>()->optionsclosestart_Click();
        };
        click();
        QCOMPARE(setting(m_fx->ini(), key), QStringLiteral("true"));
        QVERIFY(action->isChecked());
        checkWindowUntouched(w);
        click();
        QCOMPARE(setting(m_fx->ini(), key), QStringLiteral("false"));
        QVERIFY(!action->isChecked());
        checkWindowUntouched(w);
        QCOMPARE(readAll(m_fx->ini()).count("[Settings]"), 1);
        QVERIFY(Prompter::history().isEmpty());
    }

    void fileOptionsStoredInAnyCase()
    {
        m_fx->writeWatchList(QStringLiteral("Start in Tray=TRUE\n"));
        frmfiledsip& w = m_fx->load();
        QVERIFY(w.menus().optionsminstartup->isChecked());
        w.menus().optionsminstartup->trigger();
        QCOMPARE(setting(m_fx->ini(), QStringLiteral("Start in Tray")), QStringLiteral("false"));
        QVERIFY(!w.menus().optionsminstartup->isChecked());
    }

    void writeFailureIsToldAndChangesNothing_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("wasOn");
        for (const char* item : {"optionsminstartup", "optionsclosestart", "optionrun"}) {
            QTest::addRow("%s, off", item) << QString::fromLatin1(item) << false;
            QTest::addRow("%s, on", item) << QString::fromLatin1(item) << true;
        }
    }

    void writeFailureIsToldAndChangesNothing()
    {
        QFETCH(QString, item);
        QFETCH(bool, wasOn);
        const bool run = item == QLatin1String("optionrun");
        const QString on = wasOn && !run ? QStringLiteral("true") : QStringLiteral("false");
        m_fx->writeWatchList(QStringLiteral("Start in Tray=%1\nClose on Start=%1\n").arg(on));
        frmfiledsip& w = m_fx->loadAndShow();
        w.setWindowState(Qt::WindowNoState);
        w.Timerclosestart->stop();
        auto* action = w.findChild<QAction*>(item);
        QVERIFY(QDir().mkpath(AutostartEntry::folder()));
        if (run && wasOn) {
            writeEntry("/opt/other/program");
            action->setChecked(true);
        }
        QCOMPARE(action->isChecked(), wasOn);
        // The watch list, or the folder of the autostart entry, cannot be written.
        const QString file = run ? entryPath() : m_fx->ini();
        const QByteArray before = readAll(file);
        QVERIFY(QFile::setPermissions(run ? AutostartEntry::folder() : file, QFile::ReadOwner | QFile::ExeOwner));
        {
            PermissionsApply permissions;
            if (!permissions.ok())
                QSKIP("Running as root without the right to drop capabilities");
            action->trigger();
        }
        QVERIFY(QFile::setPermissions(m_fx->ini(), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(action->isChecked(), wasOn);
        QCOMPARE(QFile::exists(file), !run || wasOn);
        QCOMPARE(readAll(file), before);
        const Prompter::Record* told = PromptChecks::onlyMessage(Prompter::Icon::Warning);
        QVERIFY(told);
        QVERIFY2(told->text.contains(file), qPrintable(told->text));
        if (run)
            checkWindowUntouched(w);
        else
            QVERIFY2(told->text.contains(QString(action->text()).remove(QLatin1Char('&'))), qPrintable(told->text));
    }

    void runAtLogon_data()
    {
        QTest::addColumn<QByteArray>("exec"); // the entry before the first click; null: none
        QTest::addColumn<bool>("firstAdds");
        QTest::newRow("absent") << QByteArray() << true;
        QTest::newRow("present, another program") << QByteArray("/opt/other/program") << false;
        QTest::newRow("present, empty") << QByteArray("") << true;
    }

    void runAtLogon()
    {
        QFETCH(QByteArray, exec);
        QFETCH(bool, firstAdds);
        m_fx->writeWatchList();
        frmfiledsip& w = m_fx->loadAndShow();
        QVERIFY(!w.menus().optionrun->isChecked());
        // Added or changed outside the program after it started: the stored entry decides.
        if (!exec.isNull())
            writeEntry(exec);
        const QString ours = QCoreApplication::applicationDirPath() + QStringLiteral("/Staleguard");
        for (bool adds : {firstAdds, !firstAdds, firstAdds}) {
            w.menus().optionrun->trigger();
            QCOMPARE(w.menus().optionrun->isChecked(), adds);
            QCOMPARE(QFile::exists(entryPath()), adds);
            QCOMPARE(OptionsCommands::readRunValue(), adds ? ours : QString());
            checkWindowUntouched(w);
        }
        QVERIFY(Prompter::history().isEmpty());
    }

    void runAtLogonEntryStartsTheProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "bin";
        QTest::newRow("blank") << "Program Files/Staleguard";
        QTest::newRow("shell characters") << "it's \"odd\" $HOME `x` 100% \\ (a)";
    }

    void runAtLogonEntryStartsTheProgram()
    {
        QFETCH(QString, folder);
        // A stand-in for the program, where the real one would be installed.
        const QString programFolder = m_fx->folder() + QLatin1Char('/') + folder;
        QVERIFY(QDir().mkpath(programFolder));
        const QString program = OptionsCommands::runValueData(programFolder);
        QCOMPARE(program, programFolder + QStringLiteral("/Staleguard"));
        const QString marker = m_fx->folder() + QStringLiteral("/started");
        writeAll(program, "#!/bin/sh\necho \"$0\" > \"$STALEGUARD_MARKER\"\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        int flag = 0;
        RegistryStore::instance().SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey,
                                           OptionsCommands::runValueName(), program, 0, flag);

        // Exec quoting is the shell's double-quote quoting, so a shell runs the line as a launcher would.
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("STALEGUARD_MARKER"), marker);
        run.setProcessEnvironment(env);
        run.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), execCommandLine(entryPath())});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(readAll(marker)).trimmed(), program);
    }
};

QTEST_MAIN(TestOptionsCommands)
#include "tst_optionscommands.moc"
