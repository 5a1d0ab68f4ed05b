#include "MainWindowFixture.h"
#include "PromptChecks.h"
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
#include <QHash>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

using namespace TestHelpers;
using PromptChecks::missingFileQuestions;

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

    void menus()
    {
        frmfiledsip w;
        // The bar, its menus and the pop-ups, which hang off the window without being in the bar.
        QList<QList<QAction*>> menus{w.menuBar()->actions()};
        for (QMenu* menu : w.findChildren<QMenu*>())
            menus << menu->actions();
        for (const QList<QAction*>& actions : menus) {
            // Every item is reachable from the keyboard, and no two in one menu share the letter,
            // or the key would only move between them.
            QSet<QKeySequence> seen;
            for (QAction* action : actions) {
                if (action->isSeparator())
                    continue;
                const QKeySequence key = QKeySequence::mnemonic(action->text());
                QVERIFY2(!key.isEmpty(), qPrintable(action->text()));
                QVERIFY2(!seen.contains(key), qPrintable(action->text()));
                seen.insert(key);
            }
        }
        // A shortcut given twice would trigger neither of its commands.
        QHash<QKeySequence, QString> owners;
        for (QAction* action : w.findChildren<QAction*>()) {
            for (const QKeySequence& key : action->shortcuts()) {
                QVERIFY2(!owners.contains(key), qPrintable(owners.value(key) + QLatin1Char(' ') + action->text()));
                owners.insert(key, action->text());
            }
        }
    }

    void layout()
    {
        writeWatchList();
        frmfiledsip& w = loadAndShow();
        QWidget* client = w.centralWidget();
        QHash<QString, QRect> small;
        for (int scale : {1, 2}) {
            const QSize size = client->minimumSize() * scale;
            w.resize(size + QSize(0, w.menuBar()->height()));
            QTRY_COMPARE(client->size(), size);
            const QList<QWidget*> controls = client->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            for (QWidget* control : controls) {
                const QRect at = control->geometry();
                const QByteArray name = control->objectName().toUtf8();
                QVERIFY2(client->rect().contains(at), name.constData());
                for (QWidget* other : controls)
                    QVERIFY2(other == control || !other->geometry().intersects(at), name.constData());
                if (qobject_cast<QPushButton*>(control))
                    QVERIFY2(control->sizeHint().width() <= at.width(), name.constData());
                // The controls grow with the window and keep their places in it.
                const QRect was = small.value(control->objectName(), at);
                const QRect twice(was.topLeft() * scale, was.size() * scale);
                QVERIFY2((at.topLeft() - twice.topLeft()).manhattanLength() <= 2, name.constData());
                QVERIFY2((at.bottomRight() - twice.bottomRight()).manhattanLength() <= 4, name.constData());
                small.insert(control->objectName(), was);
            }
        }
        w.resize(3000, 3000);
        QTRY_VERIFY(client->width() <= client->maximumWidth() && client->height() <= client->maximumHeight());
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
        QTest::addColumn<bool>("tray");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("caption"); // empty: the program ends
        QTest::newRow("first tick") << false << qint64(1000) << QStringLiteral("Exiting in 19 seconds");
        QTest::newRow("late tick") << false << qint64(1400) << QStringLiteral("Exiting in 19 seconds");
        QTest::newRow("last second") << false << qint64(19000) << QStringLiteral("Exiting in 1 seconds");
        QTest::newRow("the end") << false << qint64(20000) << QString();
        QTest::newRow("the end, in the tray") << true << qint64(20000) << QString();
    }

    void countdown()
    {
        QFETCH(bool, tray);
        QFETCH(qint64, elapsed);
        QFETCH(QString, caption);
        const QDateTime t0(QDate::currentDate(), QTime(12, 0, 0));
        Clock::setMock(t0);
        writeWatchList(tray ? QStringLiteral("true") : QString(), QStringLiteral("true"));
        frmfiledsip& w = load();
        QCOMPARE(w.starttime, t0);
        w.showAtStart();
        writeAll(rowMap(), "[tempfile 0]\nrealnumber=0\n");
        Clock::advanceMock(elapsed);
        w.Timerclosestart_Timer();
        QCOMPARE(w.Timerclosestart->isActive(), !caption.isEmpty());
        QCOMPARE(m_fx->ended, caption.isEmpty() ? QList<int>{0} : QList<int>());
        QCOMPARE(QFile::exists(rowMap()), !caption.isEmpty());
        if (!caption.isEmpty())
            QCOMPARE(w.cmdok->text(), caption);
    }

    void countdownCancelled_data()
    {
        QTest::addColumn<QString>("how"); // a key, a click or the name of a command
        QTest::newRow("Exit button") << "button";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
        QTest::newRow("File > Exit") << "fileexit";
        QTest::newRow("Subscribe opens the editor") << "fileadd";
        QTest::newRow("Show all files") << "viewshowall";
        QTest::newRow("Refresh") << "optionsrefreash";
        QTest::newRow("an option") << "optionsminstartup";
        QTest::newRow("the list's pop-up") << "rightpopup7";
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
        if (how == "button") {
            QTest::mouseClick(w.cmdok, Qt::LeftButton);
        } else if (how == "enter") {
            QTest::keyClick(w.listoldfiles, Qt::Key_Return);
        } else if (how == "esc") {
            QTest::keyClick(&w, Qt::Key_Escape);
        } else if (how == "close") {
            QVERIFY(!w.close());
        } else {
            auto* action = w.findChild<QAction*>(how);
            QVERIFY(action);
            action->trigger();
        }
        QVERIFY(!w.Timerclosestart->isActive());
        QCOMPARE(w.cmdok->text(), QStringLiteral("&Exit"));
        QVERIFY(w.isVisible());
        QVERIFY(m_fx->ended.isEmpty());
        // The next press is a real exit.
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(m_fx->ended, QList<int>{0});
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

    void withAndWithoutRows_data()
    {
        QTest::addColumn<int>("age");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("with rows") << 9 << QStringLiteral("Staleguard - You have old items");
        QTest::newRow("without rows") << 0 << QStringLiteral("Staleguard");
    }

    // The menus, the tray icon and the row map follow whether anything is listed.
    void withAndWithoutRows()
    {
        QFETCH(int, age);
        QFETCH(QString, tooltip);
        const bool listed = age > 0;
        addEntry(0, QStringLiteral("Backup"), age, 5);
        writeWatchList();
        const QByteArray before = readAll(ini());
        frmfiledsip& w = loadAndShow();
        QCOMPARE(w.listoldfiles->count(), listed ? 1 : 0);
        QCOMPARE(QFile::exists(rowMap()), listed);
        QCOMPARE(w.menus().fileprintold->isEnabled(), listed);
        QCOMPARE(w.menus().fileeditfile->isEnabled(), listed);
        QCOMPARE(w.menus().postponemenu->menuAction()->isEnabled(), listed);
        QVERIFY(w.menus().fileprintall->isEnabled());
        QVERIFY(w.menus().fileadd->isEnabled());

        QVERIFY(!w.trayIcon->enabled());
        w.setWindowState(Qt::WindowMinimized);
        QVERIFY(w.trayIcon->enabled());
        QCOMPARE(w.trayIcon->flashenabled(), listed);
        QCOMPARE(w.trayIcon->isFlashing(), listed);
        QCOMPARE(w.trayIcon->tooltiptext(), tooltip);
        QTRY_VERIFY(!w.isVisible());
        w.setWindowState(Qt::WindowNoState);
        w.show();
        QVERIFY(!w.trayIcon->enabled());
        QVERIFY(!w.trayIcon->isFlashing());

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
        QCOMPARE(missingFileQuestions(file), 1);
        QVERIFY(rows().isEmpty());
        QCOMPARE(readAll(ini()).contains("Notactive=true"), remove);
        w.menus().optionsrefreash->trigger();
        QCOMPARE(missingFileQuestions(file), remove ? 1 : 2);
    }

    void aRefreshDuringAQuestionRunsAfterIt()
    {
        const QString file = addEntry(0, QStringLiteral("Backup"), 9, 5);
        QFile::remove(file);
        writeWatchList();
        Prompter::queueAnswer(false);
        frmfiledsip& w = loadAndShow();
        QCOMPARE(missingFileQuestions(file), 1);
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
        QCOMPARE(sizeAfter, sizeBefore);         // it did not run inside the question
        QCOMPARE(missingFileQuestions(file), 3); // start-up, the refresh, and the one asked for during it
        QVERIFY(!w.isRefreshing());
        // The window's reactivation after the boxes is no reason to ask again.
        QTest::qWait(200);
        QCOMPARE(missingFileQuestions(file), 3);
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

    void secondCopy_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No leaves everything as it was") << false;
        QTest::newRow("Yes runs it") << true;
    }

    void secondCopy()
    {
        QFETCH(bool, yes);
        addEntry(0, QStringLiteral("Backup"), 9, 5);
        writeWatchList(QStringLiteral("true"), QStringLiteral("true"));
        load();
        const QByteArray iniBefore = readAll(ini());
        const QByteArray mapBefore = readAll(rowMap());
        const QDateTime mapTime = QFileInfo(rowMap()).lastModified();
        Prompter::clearHistory();
        Prompter::queueAnswer(yes);
        frmfiledsip second;
        second.inifilename = ini();
        second.tempinifilename = rowMap();
        QCOMPARE(second.Form_Load(), yes);
        const Prompter::Record* asked = PromptChecks::onlyMessage(Prompter::Icon::None, true);
        QVERIFY(asked);
        QCOMPARE(asked->text, QStringLiteral("Staleguard is already running, do you want to open another copy?"));
        QCOMPARE(second.listoldfiles->count(), yes ? 1 : 0);
        if (yes)
            return;
        QVERIFY(!second.splash());
        QCOMPARE(readAll(ini()), iniBefore);
        QCOMPARE(readAll(rowMap()), mapBefore);
        QCOMPARE(QFileInfo(rowMap()).lastModified(), mapTime);
    }
};

QTEST_MAIN(TestFrmfiledsip)
#include "tst_frmfiledsip.moc"
