#include "MainWindowFixture.h"
#include "TestHelpers.h"
#include "base/AppInfo.h"
#include "controls/Prompter.h"
#include "controls/TrayIcon.h"
#include "desktop/RegistryStore.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/EntryChecker.h"
#include "engine/MissingFileQuestion.h"
#include "mainwindow/frmfiledsip.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

using namespace TestHelpers;

class TestFrmfiledsip : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;

    QString ini() const { return m_fx->ini(); }
    QString rowMap() const { return m_fx->rowMap(); }

    // An entry on a file `age` days old that counts as old from `days` days.
    QString addEntry(int number, const QString& description, int age, int days)
    {
        return m_fx->addEntry(number, description, QDateTime::currentDateTime().addDays(-age), days);
    }

    void writeWatchList(const QString& tray = QString(), const QString& close = QString())
    {
        QString settings;
        if (!tray.isNull())
            settings += QStringLiteral("Start in Tray=%1\n").arg(tray);
        if (!close.isNull())
            settings += QStringLiteral("Close on Start=%1\n").arg(close);
        m_fx->writeWatchList(settings);
    }

    frmfiledsip& load() { return m_fx->load(); }
    frmfiledsip& loadAndShow() { return m_fx->loadAndShow(); }
    QStringList rows() const { return m_fx->rows(); }

    int questionsAbout(const QString& file) const
    {
        int count = 0;
        for (const Prompter::Record& record : Prompter::history())
            count += record.text == MissingFileQuestion::text(file) ? 1 : 0;
        return count;
    }

private slots:
    void initTestCase() { MainWindowFixture::isolate(); }

    void init()
    {
        m_fx = MainWindowFixture::scripted();
        QVERIFY(!m_fx->folder().isEmpty());
    }

    void cleanup()
    {
        m_fx.reset();
        TrayIcon::overrideAvailability(true);
    }

    void menus_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("mnemonic");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("visible");
        auto row = [](const char* name, const char* caption, const char* mnemonic, QKeySequence keys = {},
                      bool checkable = false, bool checked = false, bool visible = true) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption)
                                << QString::fromLatin1(mnemonic) << keys << checkable << checked << visible;
        };
        row("fileprintold", "Print old files", "o");
        row("fileprintall", "Print all my files", "a");
        row("fileadd", "Subscribe to a File", "S", QKeySequence(Qt::CTRL | Qt::Key_S));
        row("fileeditfile", "Edit selected file", "d", QKeySequence(Qt::CTRL | Qt::Key_E));
        row("fileexit", "Exit", "E", QKeySequence(Qt::CTRL | Qt::Key_X));
        row("postpone1day", "Remind me again in 1 day", "1");
        row("postpone2days", "Remind me again in 2 days", "2");
        row("postpone7days", "Remind me again One Week Later", "W");
        row("postpone30days", "Remind me again One Month Later", "M");
        row("postponenever", "Never Remind me again", "N");
        row("viewshowold", "Show only old files", "o", QKeySequence(Qt::CTRL | Qt::Key_D), true, true);
        row("viewshowall", "Show all files", "a", QKeySequence(Qt::CTRL | Qt::Key_A), true, false);
        row("optionsrefreash", "Refresh file List", "R", QKeySequence(Qt::Key_F5));
        row("optionsminstartup", "Start Program as Tray Icon", "S", {}, true);
        row("optionsclosestart", "Close program at start if no files", "C", {}, true);
        row("optionrun", "Run program at windows Start", "w", {}, true);
        row("helpabout", "About", "A");
        row("rightpopupupdatefiledate", "Update the File Date", "U", {}, false, false, false);
        row("rightpopup1", "Remind me again in 1 day", "1");
        row("rightpopup2", "Remind me again in 2 days", "2");
        row("rightpopup7", "Remind me again One Week Later", "W");
        row("rightpopup30", "Remind me again One Month Later", "M");
        row("rightpopupnev", "Never Remind me again", "N");
        row("rightpopupedit", "Edit File", "E");
        row("TaskBarRPopen", "Open Staleguard", "O");
        row("TaskBarRPexit", "Exit Staleguard", "x");
    }

    void menus()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, mnemonic);
        QFETCH(QKeySequence, shortcut);
        QFETCH(bool, checkable);
        QFETCH(bool, checked);
        QFETCH(bool, visible);
        frmfiledsip w;
        auto* action = w.findChild<QAction*>(name);
        QVERIFY2(action, qPrintable(name));
        // The caption as shown, with one letter underlined for the keyboard.
        QCOMPARE(QString(action->text()).remove(QLatin1Char('&')), caption);
        QCOMPARE(action->text().count(QLatin1Char('&')), 1);
        QCOMPARE(QKeySequence::mnemonic(action->text()), QKeySequence(QStringLiteral("Alt+") + mnemonic));
        QCOMPARE(action->shortcut(), shortcut);
        QCOMPARE(action->isCheckable(), checkable);
        QCOMPARE(action->isChecked(), checked);
        QCOMPARE(action->isVisible(), visible);
    }

    void menuBar()
    {
        frmfiledsip w;
        QStringList titles;
        for (QAction* action : w.menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, QStringList({"&File", "&Postpone", "&View", "&Options", "&Help"}));
        QCOMPARE(w.menus().fileprint->title(), QStringLiteral("&Print"));
        QVERIFY(w.menus().file->actions().contains(w.menus().fileprint->menuAction()));
        QCOMPARE(w.menus().TaskBarRP->actions(), QList<QAction*>({w.menus().TaskBarRPopen, w.menus().TaskBarRPexit}));
        QCOMPARE(w.menus().rightpopup->actions().first(), w.menus().rightpopupupdatefiledate);
        QCOMPARE(w.menus().rightpopup->actions().last(), w.menus().rightpopupedit);
        // Within one menu no two items share a mnemonic, or the key would only move between them.
        for (QMenu* menu : w.findChildren<QMenu*>()) {
            QSet<QKeySequence> seen;
            for (QAction* action : menu->actions()) {
                const QKeySequence key = QKeySequence::mnemonic(action->text());
                QVERIFY2(!seen.contains(key), qPrintable(menu->objectName() + QLatin1Char(' ') + action->text()));
                seen.insert(key);
            }
        }
    }

    void layout()
    {
        writeWatchList();
        frmfiledsip& w = loadAndShow();
        QCOMPARE(w.cmdok->text(), QStringLiteral("&Exit"));
        QCOMPARE(w.cmdok->toolTip(), QStringLiteral("Exit the program"));
        QVERIFY(!w.Timerclosestart->isActive());
        QCOMPARE(w.Timerclosestart->interval(), 1000);
        QWidget* client = w.centralWidget();
        QCOMPARE(client->minimumSize(), QSize(392, 181));
        QCOMPARE(client->maximumSize(), QSize(1016, 722));
        w.resize(QSize(392, 181 + w.menuBar()->height()));
        QTRY_COMPARE(client->size(), QSize(392, 181));
        QCOMPARE(w.listoldfiles->geometry(), QRect(8, 8, 280, 160));
        QCOMPARE(w.cmdok->geometry(), QRect(301, 8, 81, 39));
        w.resize(QSize(784, 362 + w.menuBar()->height()));
        QTRY_COMPARE(client->size(), QSize(784, 362));
        QCOMPARE(w.listoldfiles->geometry(), QRect(16, 16, 560, 320));
        QVERIFY(w.listoldfiles->geometry().right() < w.cmdok->geometry().left());
        w.resize(3000, 3000);
        QTRY_VERIFY(client->width() <= 1016 && client->height() <= 722);
    }

    void startOptions_data()
    {
        QTest::addColumn<QString>("tray");
        QTest::addColumn<QString>("close");
        QTest::addColumn<int>("age");
        QTest::addColumn<bool>("inTray");
        QTest::addColumn<bool>("closeTicked");
        QTest::addColumn<bool>("countdown");
        QTest::newRow("missing") << QString() << QString() << 0 << false << false << false;
        QTest::newRow("both true, nothing old") << "true"
                                                << "true" << 0 << true << true << true;
        QTest::newRow("upper case") << "TRUE"
                                    << "TRUE" << 0 << true << true << true;
        QTest::newRow("capitalised") << "True"
                                     << "True" << 0 << true << true << true;
        QTest::newRow("true inside a word") << "untrue"
                                            << "istrue" << 0 << true << true << true;
        QTest::newRow("false") << "false"
                               << "false" << 0 << false << false << false;
        QTest::newRow("other words") << "yes"
                                     << "1" << 0 << false << false << false;
        QTest::newRow("close on, something old") << "false"
                                                 << "true" << 9 << false << true << false;
    }

    void startOptions()
    {
        QFETCH(QString, tray);
        QFETCH(QString, close);
        QFETCH(int, age);
        QFETCH(bool, inTray);
        QFETCH(bool, closeTicked);
        QFETCH(bool, countdown);
        addEntry(0, QStringLiteral("Backup"), age, 5);
        writeWatchList(tray, close);
        const QByteArray before = readAll(ini());
        frmfiledsip& w = load();
        QCOMPARE(w.menus().optionsminstartup->isChecked(), inTray);
        QCOMPARE(w.minimizesAtStart(), inTray);
        QCOMPARE(w.menus().optionsclosestart->isChecked(), closeTicked);
        QCOMPARE(w.Timerclosestart->isActive(), countdown);
        QVERIFY(!w.splash());
        w.showAtStart();
        QCOMPARE(w.trayIcon->enabled(), inTray);
        // Nothing of a window that starts in the tray exists on the desktop yet, so nothing
        // there can bring it back minimized when it is first shown.
        QCOMPARE(w.windowHandle() != nullptr, !inTray);
        QVERIFY(!w.isMinimized());
        // Starting in the tray with nothing to report gives a steady icon.
        QVERIFY(!w.trayIcon->isFlashing() || age > 0);
        QTRY_COMPARE(w.isVisible(), !inTray);
        QCOMPARE(readAll(ini()), before); // start-up only reads the watch list
    }

    void captionAndRunOption()
    {
        writeWatchList();
        int flag = 0;
        const QString name = AppInfo::productName() + QStringLiteral(" StartUp");
        RegistryStore::instance().SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, name,
                                           QStringLiteral("/opt/other/program"), 0, flag);
        frmfiledsip& w = load();
        QCOMPARE(w.windowTitle(), QStringLiteral("Staleguard - ") + DateTexts::longDate(QDate::currentDate()));
        QVERIFY(w.menus().optionrun->isChecked());
        m_fx->unload();
        RegistryStore::instance().DeleteValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, name, flag);
        QVERIFY(!load().menus().optionrun->isChecked());
    }

    void countdown_data()
    {
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("caption");
        QTest::newRow("first tick") << qint64(1000) << QStringLiteral("Exiting in 19 seconds");
        QTest::newRow("late tick") << qint64(1400) << QStringLiteral("Exiting in 19 seconds");
        QTest::newRow("last second") << qint64(19000) << QStringLiteral("Exiting in 1 seconds");
    }

    void countdown()
    {
        QFETCH(qint64, elapsed);
        QFETCH(QString, caption);
        const QDateTime t0(QDate::currentDate(), QTime(12, 0, 0));
        Clock::setMock(t0);
        writeWatchList(QString(), QStringLiteral("true"));
        frmfiledsip& w = load();
        QCOMPARE(w.starttime, t0);
        Clock::advanceMock(elapsed);
        w.Timerclosestart_Timer();
        QCOMPARE(w.cmdok->text(), caption);
        QVERIFY(w.Timerclosestart->isActive());
        QVERIFY(m_fx->ended.isEmpty());
    }

    void countdownEndsTheProgram()
    {
        Clock::setMock(QDateTime(QDate::currentDate(), QTime(12, 0, 0)));
        writeWatchList(QStringLiteral("true"), QStringLiteral("true"));
        frmfiledsip& w = load();
        w.showAtStart();
        writeAll(rowMap(), "[tempfile 0]\nrealnumber=0\n");
        Clock::advanceMock(20000);
        w.Timerclosestart_Timer();
        QVERIFY(!w.Timerclosestart->isActive());
        QCOMPARE(m_fx->ended, QList<int>{0});
        QVERIFY(!QFile::exists(rowMap()));
    }

    void countdownCancelled_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit button") << "button";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
        QTest::newRow("File > Exit") << "menu";
    }

    void countdownCancelled()
    {
        QFETCH(QString, how);
        Clock::setMock(QDateTime(QDate::currentDate(), QTime(12, 0, 0)));
        writeWatchList(QString(), QStringLiteral("true"));
        frmfiledsip& w = loadAndShow();
        Clock::advanceMock(3000);
        w.Timerclosestart_Timer();
        QCOMPARE(w.cmdok->text(), QStringLiteral("Exiting in 17 seconds"));
        if (how == "button")
            QTest::mouseClick(w.cmdok, Qt::LeftButton);
        else if (how == "enter")
            QTest::keyClick(w.listoldfiles, Qt::Key_Return);
        else if (how == "esc")
            QTest::keyClick(&w, Qt::Key_Escape);
        else if (how == "close")
            QVERIFY(!w.close());
        else
            w.menus().fileexit->trigger();
        QVERIFY(!w.Timerclosestart->isActive());
        QCOMPARE(w.cmdok->text(), QStringLiteral("&Exit"));
        QVERIFY(w.isVisible());
        QVERIFY(m_fx->ended.isEmpty());
        // The next press is a real exit.
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(m_fx->ended, QList<int>{0});
    }

    void commandsStopTheCountdown_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Subscribe opens the editor") << "fileadd";
        QTest::newRow("Show all files") << "viewshowall";
        QTest::newRow("Refresh") << "optionsrefreash";
        QTest::newRow("an option") << "optionsminstartup";
        QTest::newRow("the list's pop-up") << "rightpopup7";
    }

    void commandsStopTheCountdown()
    {
        QFETCH(QString, command);
        Clock::setMock(QDateTime(QDate::currentDate(), QTime(12, 0, 0)));
        writeWatchList(QString(), QStringLiteral("true"));
        frmfiledsip& w = loadAndShow();
        Clock::advanceMock(3000);
        w.Timerclosestart_Timer();
        auto* action = w.findChild<QAction*>(command);
        QVERIFY(action);
        action->trigger();
        QVERIFY(!w.Timerclosestart->isActive());
        QCOMPARE(w.cmdok->text(), QStringLiteral("&Exit"));
        QVERIFY(m_fx->ended.isEmpty());
    }

    void exitKeysWhereverTheFocusIs_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const char* focus : {"list", "row", "exit"}) {
            QTest::addRow("%s, Esc", focus) << focus << int(Qt::Key_Escape) << int(Qt::NoModifier);
            QTest::addRow("%s, Enter", focus) << focus << int(Qt::Key_Return) << int(Qt::NoModifier);
            QTest::addRow("%s, keypad Enter", focus) << focus << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        }
    }

    void exitKeysWhereverTheFocusIs()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        addEntry(0, QStringLiteral("Backup"), 9, 5);
        writeWatchList();
        frmfiledsip& w = loadAndShow();
        if (focus == QLatin1String("exit")) {
            w.cmdok->setFocus();
        } else {
            w.listoldfiles->setFocus();
            if (focus == QLatin1String("row"))
                m_fx->select(0);
        }
        // Through the window system, to whatever has the focus, as a key press arrives.
        QTest::keyClick(w.windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_fx->ended, QList<int>{0});
    }

    void exitDeletesTheRowMap_data()
    {
        QTest::addColumn<int>("age");
        QTest::newRow("with rows") << 9;
        QTest::newRow("without rows") << 0;
    }

    void exitDeletesTheRowMap()
    {
        QFETCH(int, age);
        addEntry(0, QStringLiteral("Backup"), age, 5);
        writeWatchList();
        const QByteArray before = readAll(ini());
        frmfiledsip& w = loadAndShow();
        QCOMPARE(QFile::exists(rowMap()), age > 0);
        w.cmdok_Click();
        QCOMPARE(m_fx->ended, QList<int>{0});
        QVERIFY(!QFile::exists(rowMap()));
        QCOMPARE(readAll(ini()), before);
    }

    void closingEndsTheProgramAndSavesThePosition()
    {
        addEntry(0, QStringLiteral("Backup"), 9, 5);
        writeWatchList();
        frmfiledsip& w = loadAndShow();
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillfen/Staleguard.conf");
        QFile::remove(config);
        w.close();
        QCOMPARE(m_fx->ended, QList<int>{0});
        QVERIFY(!QFile::exists(rowMap()));
        QVERIFY(QFile::exists(config));
    }

    void minimizeToTray_data()
    {
        QTest::addColumn<int>("age");
        QTest::addColumn<bool>("flashing");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("with rows") << 9 << true << QStringLiteral("Staleguard - You have old items");
        QTest::newRow("without rows") << 0 << false << QStringLiteral("Staleguard");
    }

    void minimizeToTray()
    {
        QFETCH(int, age);
        QFETCH(bool, flashing);
        QFETCH(QString, tooltip);
        addEntry(0, QStringLiteral("Backup"), age, 5);
        writeWatchList();
        frmfiledsip& w = loadAndShow();
        QVERIFY(!w.trayIcon->enabled());
        w.setWindowState(Qt::WindowMinimized);
        QVERIFY(w.trayIcon->enabled());
        QCOMPARE(w.trayIcon->flashenabled(), flashing);
        QCOMPARE(w.trayIcon->isFlashing(), flashing);
        QCOMPARE(w.trayIcon->tooltiptext(), tooltip);
        QTRY_VERIFY(!w.isVisible());
        w.setWindowState(Qt::WindowNoState);
        w.show();
        QVERIFY(!w.trayIcon->enabled());
        QVERIFY(!w.trayIcon->isFlashing());
    }

    void withoutATrayTheWindowStaysInTheTaskbar()
    {
        TrayIcon::overrideAvailability(false);
        writeWatchList(QStringLiteral("true"));
        frmfiledsip& w = load();
        w.showAtStart();
        QVERIFY(w.isVisible());
        QVERIFY(w.isMinimized());
        QVERIFY(!w.trayIcon->enabled());
        w.setWindowState(Qt::WindowNoState);
        w.setWindowState(Qt::WindowMinimized);
        QTest::qWait(20);
        QVERIFY(w.isVisible());
        QVERIFY(!w.trayIcon->enabled());
    }

    void menusFollowRows_data()
    {
        QTest::addColumn<int>("age");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("with rows") << 9 << true;
        QTest::newRow("without rows") << 0 << false;
    }

    void menusFollowRows()
    {
        QFETCH(int, age);
        QFETCH(bool, enabled);
        addEntry(0, QStringLiteral("Backup"), age, 5);
        writeWatchList();
        frmfiledsip& w = load();
        QCOMPARE(w.listoldfiles->count(), enabled ? 1 : 0);
        QCOMPARE(w.menus().fileprintold->isEnabled(), enabled);
        QCOMPARE(w.menus().fileeditfile->isEnabled(), enabled);
        QCOMPARE(w.menus().postponemenu->menuAction()->isEnabled(), enabled);
        QVERIFY(w.menus().fileprintall->isEnabled());
        QVERIFY(w.menus().fileadd->isEnabled());
    }

    void viewToggles()
    {
        addEntry(0, QStringLiteral("Backup"), 9, 5);
        addEntry(1, QStringLiteral("Notebook"), 0, 5);
        writeWatchList();
        frmfiledsip& w = load();
        QCOMPARE(rows(), QStringList{"Backup is 9 days old"});
        w.menus().viewshowall->trigger();
        QVERIFY(w.menus().viewshowall->isChecked());
        QVERIFY(!w.menus().viewshowold->isChecked());
        QCOMPARE(rows(), QStringList({"Backup is 9 days old", "Notebook is 0 days old"}));
        w.menus().viewshowall->trigger(); // picking the ticked one again keeps it ticked
        QVERIFY(w.menus().viewshowall->isChecked());
        w.menus().viewshowold->trigger();
        QVERIFY(w.menus().viewshowold->isChecked());
        QVERIFY(!w.menus().viewshowall->isChecked());
        QCOMPARE(rows(), QStringList{"Backup is 9 days old"});
    }

    void refreshKeyAndFocus()
    {
        const QString file = addEntry(0, QStringLiteral("Backup"), 0, 5);
        writeWatchList();
        frmfiledsip& w = loadAndShow();
        QVERIFY(rows().isEmpty());
        touch(file, QDateTime::currentDateTime().addDays(-7));
        // Coming back from one of our own windows leaves the list alone.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(rows().isEmpty());
        // Coming back from another program refreshes it.
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&w);
        QCOMPARE(rows(), QStringList{"Backup is 7 days old"});
        touch(file, QDateTime::currentDateTime());
        QTest::keyClick(&w, Qt::Key_F5);
        QVERIFY(rows().isEmpty());
    }

    void missingFileAtStart_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::newRow("Yes removes it") << true;
        QTest::newRow("No asks again") << false;
    }

    void missingFileAtStart()
    {
        QFETCH(bool, remove);
        const QString file = addEntry(0, QStringLiteral("Backup"), 9, 5);
        QFile::remove(file);
        writeWatchList();
        Prompter::queueAnswer(remove);
        frmfiledsip& w = load();
        QCOMPARE(questionsAbout(file), 1);
        QVERIFY(rows().isEmpty());
        QCOMPARE(readAll(ini()).contains("Notactive=true"), remove);
        w.menus().optionsrefreash->trigger();
        QCOMPARE(questionsAbout(file), remove ? 1 : 2);
    }

    void aRefreshDuringAQuestionRunsAfterIt()
    {
        const QString file = addEntry(0, QStringLiteral("Backup"), 9, 5);
        QFile::remove(file);
        writeWatchList();
        Prompter::queueAnswer(false);
        frmfiledsip& w = loadAndShow();
        QCOMPARE(questionsAbout(file), 1);
        Prompter::setScripted(false);
        bool askedInside = false;
        qsizetype sizeBefore = -1;
        qsizetype sizeAfter = -1;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (!askedInside) {
                askedInside = true;
                sizeBefore = Prompter::history().size();
                w.optionsrefreash_Click(); // as a focus event or a key might, inside the question's loop
                sizeAfter = Prompter::history().size();
            }
            box->button(QMessageBox::No)->click();
        });
        answerer.start(20);
        w.optionsrefreash_Click();
        answerer.stop();
        Prompter::setScripted(true);
        QVERIFY(askedInside);
        QCOMPARE(sizeAfter, sizeBefore);   // it did not run inside the question
        QCOMPARE(questionsAbout(file), 3); // start-up, the refresh, and the one asked for during it
        QVERIFY(!w.isRefreshing());
        // The window's reactivation after the boxes is no reason to ask again.
        QTest::qWait(200);
        QCOMPARE(questionsAbout(file), 3);
    }

    void exitDuringAQuestion_data()
    {
        QTest::addColumn<bool>("countdown"); // else "Exit Staleguard" from the tray
        QTest::newRow("the countdown ends") << true;
        QTest::newRow("Exit from the tray") << false;
    }

    void exitDuringAQuestion()
    {
        QFETCH(bool, countdown);
        Clock::setMock(QDateTime::currentDateTime());
        const QString gone = addEntry(0, QStringLiteral("Report"), 9, 5);
        const QString backup = addEntry(1, QStringLiteral("Backup"), 0, 5);
        QFile::remove(gone);
        writeWatchList(QString(), countdown ? QStringLiteral("true") : QString());
        Prompter::queueAnswer(false);
        frmfiledsip& w = loadAndShow();
        QCOMPARE(w.Timerclosestart->isActive(), countdown);
        // The backup grows old: the next refresh would list it in the row map file.
        touch(backup, QDateTime::currentDateTime().addDays(-9));
        const QByteArray before = readAll(ini());
        Prompter::setScripted(false);
        bool exited = false;
        bool closedByExit = true;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (exited) { // still open after Exit: answer it, or the test would hang
                closedByExit = false;
                box->button(QMessageBox::No)->click();
                return;
            }
            exited = true;
            if (countdown) {
                Clock::advanceMock(20000);
                w.Timerclosestart_Timer();
            } else {
                w.menus().TaskBarRPexit->trigger();
            }
        });
        answerer.start(20);
        w.updatelist(); // as the window's return to the front runs it
        answerer.stop();
        Prompter::setScripted(true);
        QVERIFY(exited);
        QVERIFY(closedByExit);
        QCOMPARE(m_fx->ended, QList<int>{0});
        QVERIFY(!QFile::exists(rowMap()));
        QCOMPARE(readAll(ini()), before);
        w.updatelist(); // a late event after Exit
        QVERIFY(!QFile::exists(rowMap()));
    }

    void secondCopyAnsweredNo()
    {
        addEntry(0, QStringLiteral("Backup"), 9, 5);
        writeWatchList(QStringLiteral("true"), QStringLiteral("true"));
        load();
        const QByteArray iniBefore = readAll(ini());
        const QByteArray mapBefore = readAll(rowMap());
        const QDateTime mapTime = QFileInfo(rowMap()).lastModified();
        Prompter::clearHistory();
        Prompter::queueAnswer(false);
        frmfiledsip second;
        second.inifilename = ini();
        second.tempinifilename = rowMap();
        QVERIFY(!second.Form_Load());
        QCOMPARE(Prompter::history().size(), 1);
        QCOMPARE(Prompter::history().first().text,
                 QStringLiteral("Staleguard is already running, do you want to open another copy?"));
        QVERIFY(Prompter::history().first().question);
        QCOMPARE(Prompter::history().first().icon, Prompter::Icon::None);
        QVERIFY(!second.splash());
        QVERIFY(second.listoldfiles->count() == 0);
        QCOMPARE(readAll(ini()), iniBefore);
        QCOMPARE(readAll(rowMap()), mapBefore);
        QCOMPARE(QFileInfo(rowMap()).lastModified(), mapTime);
    }

    void secondCopyAnsweredYesRuns()
    {
        addEntry(0, QStringLiteral("Backup"), 9, 5);
        writeWatchList();
        load();
        Prompter::queueAnswer(true);
        frmfiledsip second;
        second.inifilename = ini();
        second.tempinifilename = rowMap();
        QVERIFY(second.Form_Load());
        QCOMPARE(second.listoldfiles->count(), 1);
    }
};

QTEST_MAIN(TestFrmfiledsip)
#include "tst_frmfiledsip.moc"
