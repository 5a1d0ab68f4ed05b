#include "MainWindowFixture.h"
#include "TestHelpers.h"
#include "controls/Prompter.h"
#include "controls/TrayIcon.h"
#include "engine/Clock.h"
#include "mainwindow/frmfiledsip.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestTrayMinimizer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;

    // The window with `age`-day-old "Backup" (old from 5 days), put into the tray.
    frmfiledsip& inTray(int age, const QString& settings = QString())
    {
        frmfiledsip& w = m_fx->showBackup(QDateTime::currentDateTime().addDays(-age), settings);
        if (!w.isMinimized())
            w.setWindowState(Qt::WindowMinimized);
        waitUntilInTray(w);
        return w;
    }

    static void waitUntilInTray(frmfiledsip& w)
    {
        QVERIFY(w.trayIcon->enabled());
        QTRY_VERIFY(!w.isVisible());
    }

    static void checkBack(frmfiledsip& w)
    {
        QVERIFY(w.isVisible());
        QVERIFY(!w.isMinimized());
        QCOMPARE(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowNoState);
        QVERIFY(!w.trayIcon->enabled());
        QVERIFY(!w.trayIcon->isFlashing());
        // Nothing sends it back: a moment later it is still there.
        QTest::qWait(20);
        QVERIFY(w.isVisible());
    }

private slots:
    void initTestCase() { MainWindowFixture::isolate(); }

    void init() { m_fx = MainWindowFixture::scripted(); }
    void cleanup() { m_fx.reset(); }

    void backFromTheTray_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("startedThere");
        QTest::newRow("Open") << "open" << false;
        QTest::newRow("left click") << "left" << false;
        QTest::newRow("left click, started in the tray") << "left" << true;
        QTest::newRow("Open, started in the tray") << "open" << true;
    }

    void backFromTheTray()
    {
        QFETCH(QString, how);
        QFETCH(bool, startedThere);
        frmfiledsip& w = inTray(9, startedThere ? QStringLiteral("Start in Tray=true\n") : QString());
        QVERIFY(w.trayIcon->isFlashing());
        QCOMPARE(w.listoldfiles->count(), 1);
        // While it was in the tray the file was saved: the window comes back with the list as it
        // is now, the first time too.
        TestHelpers::touch(m_fx->folder() + QStringLiteral("/watched0.txt"), QDateTime::currentDateTime());
        if (how == QLatin1String("open"))
            w.menus().TaskBarRPopen->trigger();
        else
            emit w.trayIcon->LeftButtonClick();
        checkBack(w);
        QCOMPARE(w.listoldfiles->count(), 0);
        if (how == QLatin1String("left")) {
            // The window system's focus; the real desktop's is checked end to end.
            QTRY_COMPARE(QGuiApplication::focusWindow(), w.windowHandle());
            QVERIFY(w.focusWidget());
        }
        QVERIFY(m_fx->ended.isEmpty());
        // And into the tray again as before.
        w.setWindowState(Qt::WindowMinimized);
        waitUntilInTray(w);
    }

    void rightClickMenu_data()
    {
        QTest::addColumn<QString>("choice"); // "" closes the menu without a choice
        QTest::addColumn<int>("age");
        QTest::newRow("nothing chosen") << "" << 9;
        QTest::newRow("Open") << "TaskBarRPopen" << 9;
        QTest::newRow("Exit") << "TaskBarRPexit" << 9;
        QTest::newRow("Exit, nothing old") << "TaskBarRPexit" << 0;
    }

    void rightClickMenu()
    {
        QFETCH(QString, choice);
        QFETCH(int, age);
        frmfiledsip& w = inTray(age);
        QCOMPARE(w.listoldfiles->count(), age > 0 ? 1 : 0);
        QCOMPARE(QFile::exists(m_fx->rowMap()), age > 0);
        QAction* defaultItem = nullptr;
        const QList<QAction*> shown =
            answerPopup([&] { emit w.trayIcon->RightButtonClick(); },
                        [&](QMenu* menu) {
                            // The menu draws its default item in bold.
                            defaultItem = menu->defaultAction();
                            if (choice.isEmpty())
                                QTest::keyClick(menu, Qt::Key_Escape);
                            else
                                QTest::mouseClick(menu, Qt::LeftButton, {},
                                                  menu->actionGeometry(w.findChild<QAction*>(choice)).center());
                        });
        QCOMPARE(shown, QList<QAction*>({w.menus().TaskBarRPopen, w.menus().TaskBarRPexit}));
        QCOMPARE(QString(shown.first()->text()).remove(QLatin1Char('&')), QStringLiteral("Open Staleguard"));
        QCOMPARE(QString(shown.last()->text()).remove(QLatin1Char('&')), QStringLiteral("Exit Staleguard"));
        QCOMPARE(defaultItem, w.menus().TaskBarRPexit);
        if (choice.isEmpty()) {
            QVERIFY(!w.isVisible());
            QVERIFY(w.trayIcon->enabled());
            QVERIFY(m_fx->ended.isEmpty());
        } else if (choice == QLatin1String("TaskBarRPopen")) {
            checkBack(w);
            QVERIFY(m_fx->ended.isEmpty());
        } else {
            QCOMPARE(m_fx->ended, QList<int>{0});
            QVERIFY(!QFile::exists(m_fx->rowMap()));
        }
    }

    void exitDuringTheCountdownOnlyStopsIt()
    {
        Clock::setMock(QDateTime::currentDateTime());
        m_fx->writeWatchList(QStringLiteral("Start in Tray=true\nClose on Start=true\n"));
        frmfiledsip& w = m_fx->loadAndShow();
        waitUntilInTray(w);
        QVERIFY(w.Timerclosestart->isActive());
        Clock::advanceMock(5000);
        w.Timerclosestart_Timer();
        QCOMPARE(w.cmdok->text(), QStringLiteral("Exiting in 15 seconds"));
        w.menus().TaskBarRPexit->trigger();
        QVERIFY(!w.Timerclosestart->isActive());
        QCOMPARE(w.cmdok->text(), QStringLiteral("&Exit"));
        QVERIFY(m_fx->ended.isEmpty());
        // Still in the tray, and past the countdown's end it goes on running.
        QVERIFY(!w.isVisible());
        QVERIFY(w.trayIcon->enabled());
        Clock::advanceMock(30000);
        QTest::qWait(50);
        QVERIFY(m_fx->ended.isEmpty());
        // Now "Exit" ends the program.
        w.menus().TaskBarRPexit->trigger();
        QCOMPARE(m_fx->ended, QList<int>{0});
    }
};

QTEST_MAIN(TestTrayMinimizer)
#include "tst_trayminimizer.moc"
