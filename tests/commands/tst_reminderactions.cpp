#include "MainWindowFixture.h"
#include "PromptChecks.h"
#include "TestHelpers.h"
#include "commands/ReminderActions.h"
#include "controls/Prompter.h"
#include "editor/EditorCommands.h"
#include "editor/frmaddnewfile.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "engine/EntryChecker.h"
#include "mainwindow/frmfiledsip.h"
#include "store/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <tuple>

using TestHelpers::readAll;
using TestHelpers::stored;

namespace {

const QDateTime kNoon(QDate(2024, 5, 10), QTime(12, 0));

} // namespace

class TestReminderActions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;

    // One old entry, "Backup" (entry 0), and the window showing it selected.
    frmfiledsip& oneOldEntry(const QDateTime& now, const QString& extra = QString())
    {
        Clock::setMock(now);
        frmfiledsip& w = m_fx->showBackup(now.addDays(-9), QString(), extra);
        m_fx->select(0);
        return w;
    }

    QAction* action(const QString& name) const { return m_fx->window().findChild<QAction*>(name); }

private slots:
    void initTestCase() { MainWindowFixture::isolate(); }

    void init() { m_fx = MainWindowFixture::scripted(); }
    void cleanup() { m_fx.reset(); }

    void postponeDates_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QDate>("expected");

        for (const auto& [days, popup, menu] :
             {std::tuple{1, "rightpopup1", "postpone1day"}, std::tuple{2, "rightpopup2", "postpone2days"},
              std::tuple{7, "rightpopup7", "postpone7days"}, std::tuple{30, "rightpopup30", "postpone30days"}}) {
            QTest::addRow("pop-up %d days", days) << kNoon << QString::fromLatin1(popup) << kNoon.date().addDays(days);
            QTest::addRow("menu %d days", days) << kNoon << QString::fromLatin1(menu) << kNoon.date().addDays(days);
        }
        QTest::newRow("a month from 31 January")
            << QDateTime(QDate(2023, 1, 31), QTime(9, 0)) << "rightpopup30" << QDate(2023, 3, 2);
        QTest::newRow("a month from 31 January, leap year")
            << QDateTime(QDate(2024, 1, 31), QTime(9, 0)) << "postpone30days" << QDate(2024, 3, 1);
        QTest::newRow("a week over the year's end")
            << QDateTime(QDate(2024, 12, 28), QTime(23, 59, 59)) << "rightpopup7" << QDate(2025, 1, 4);
        QTest::newRow("just after midnight")
            << QDateTime(QDate(2024, 5, 10), QTime(0, 0, 1)) << "rightpopup1" << QDate(2024, 5, 11);
    }

    void postponeDates()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, item);
        QFETCH(QDate, expected);
        frmfiledsip& w = oneOldEntry(now);
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 9 days old")});
        action(item)->trigger();
        const QString text = stored(m_fx->ini(), 0, QStringLiteral("Postponedate"));
        QCOMPARE(text, DateTexts::shortDate(expected));
        QCOMPARE(DateTexts::parseShortDate(text), std::optional<QDate>(expected));
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Notactive")), QString());
        // The list was refreshed: the entry is off it until its day.
        QVERIFY(m_fx->rows().isEmpty());
        QVERIFY(!w.menus().postponemenu->isEnabled());
        QVERIFY(!m_fx->window().editor()->editor());
    }

    void postponeTwice_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("days");
        QTest::newRow("a week, twice the same day") << "rightpopup7"
                                                    << "postpone7days" << 7;
        QTest::newRow("a day after a month") << "rightpopup30"
                                             << "rightpopup1" << 1;
        QTest::newRow("2 days after a week") << "postpone7days"
                                             << "postpone2days" << 2;
    }

    void postponeTwice()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, days);
        frmfiledsip& w = oneOldEntry(QDateTime(kNoon.date(), QTime(8, 0)));
        // With all files shown the postponed entry stays listed and can be postponed again.
        w.menus().viewshowall->trigger();
        m_fx->select(0);
        action(first)->trigger();
        Clock::setMock(QDateTime(kNoon.date(), QTime(23, 30)));
        QCOMPARE(m_fx->rows().size(), 1);
        m_fx->select(0);
        action(second)->trigger();
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Postponedate")),
                 DateTexts::shortDate(kNoon.date().addDays(days)));
    }

    void postponedEntryComesBackTheNextDay()
    {
        frmfiledsip& w = oneOldEntry(kNoon);
        w.menus().rightpopup1->trigger();
        QVERIFY(m_fx->rows().isEmpty());
        Clock::setMock(QDateTime(kNoon.date(), QTime(23, 59, 59)));
        w.menus().optionsrefreash->trigger();
        QVERIFY(m_fx->rows().isEmpty());
        w.menus().viewshowall->trigger();
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 9 days old")});
        w.menus().viewshowold->trigger();
        QVERIFY(m_fx->rows().isEmpty());
        Clock::setMock(QDateTime(kNoon.date().addDays(1), QTime(0, 0, 1)));
        w.menus().optionsrefreash->trigger();
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 10 days old")});
    }

    void never_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("yes");
        QTest::newRow("pop-up, Yes") << "rightpopupnev" << true;
        QTest::newRow("pop-up, No") << "rightpopupnev" << false;
        QTest::newRow("Postpone menu, Yes") << "postponenever" << true;
        QTest::newRow("Postpone menu, No") << "postponenever" << false;
    }

    void never()
    {
        QFETCH(QString, item);
        QFETCH(bool, yes);
        oneOldEntry(kNoon);
        const QByteArray before = readAll(m_fx->ini());
        Prompter::queueAnswer(yes);
        action(item)->trigger();
        const Prompter::Record* asked = PromptChecks::onlyMessage(Prompter::Icon::None, true);
        QVERIFY(asked);
        QCOMPARE(asked->text, QStringLiteral("This option will delete this file from your list, are you sure ?"));
        QVERIFY(!m_fx->window().editor()->editor());
        if (!yes) {
            QCOMPARE(readAll(m_fx->ini()), before);
            QCOMPARE(m_fx->rows().size(), 1);
            return;
        }
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Notactive")), QStringLiteral("true"));
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Postponedate")), DateTexts::shortDate(kNoon.date()));
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("description")), QStringLiteral("Backup"));
        QVERIFY(m_fx->rows().isEmpty());
        QVERIFY(!m_fx->window().menus().postponemenu->isEnabled());
        // Gone for good: not even the view of all files lists it, and its number is free again.
        m_fx->window().menus().viewshowall->trigger();
        QVERIFY(m_fx->rows().isEmpty());
        QCOMPARE(m_fx->window().getnextfreenumber(), qint16(0));
    }

    // A row that is current without being selected has not been chosen: Ctrl+click took the
    // selection away, or Tab brought the focus into the list.
    void commandsRefuseARowNotChosen_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("how");
        for (const char* item : {"postpone1day", "postpone2days", "postpone7days", "postpone30days", "postponenever",
                                 "fileeditfile", "rightpopupedit"})
            for (const char* how : {"no row", "selection cleared", "Ctrl+click", "Tab into the list"})
                QTest::addRow("%s, %s", item, how) << QString::fromLatin1(item) << QString::fromLatin1(how);
    }

    void commandsRefuseARowNotChosen()
    {
        QFETCH(QString, item);
        QFETCH(QString, how);
        frmfiledsip& w = oneOldEntry(kNoon);
        QListWidget* list = w.listoldfiles;
        if (how == QLatin1String("Ctrl+click")) {
            const QPoint onRow = list->visualItemRect(list->item(0)).center();
            // The release shows the pop-up before the list takes the selection away.
            answerPopup([&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, onRow); },
                        [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
        } else {
            list->setCurrentRow(how == QLatin1String("selection cleared") ? 0 : -1);
            list->clearSelection();
        }
        if (how == QLatin1String("Tab into the list")) {
            w.cmdok->setFocus();
            QTest::keyClick(w.cmdok, Qt::Key_Tab);
            QVERIFY(list->hasFocus());
        }
        QCOMPARE(list->currentRow(), how == QLatin1String("no row") ? -1 : 0);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(w.menus().postponemenu->isEnabled());
        const QByteArray before = readAll(m_fx->ini());
        Prompter::clearHistory();
        action(item)->trigger();
        QCOMPARE(readAll(m_fx->ini()), before);
        QVERIFY(!w.editor()->editor());
        const Prompter::Record* told = PromptChecks::onlyMessage(Prompter::Icon::Stop);
        QVERIFY(told);
        QCOMPARE(told->text, QStringLiteral("You must first select an item from the list"));
        QCOMPARE(m_fx->rows().size(), 1);
    }

    void updateTheFileDate_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("file there") << false;
        QTest::newRow("file deleted") << true;
    }

    void updateTheFileDate()
    {
        QFETCH(bool, deleted);
        Clock::setMock(kNoon);
        // A fresh file, changed after the date the user last acknowledged; odd milliseconds and
        // seconds must not keep it reading as changed.
        const QDateTime changed(kNoon.date().addDays(-1), QTime(17, 23, 41, 987));
        const QString file = m_fx->addEntry(0, QStringLiteral("Accounts"), changed, 30,
                                            QStringLiteral("advisechanges=true\nlast date changed=%1")
                                                .arg(DateTexts::generalDate(changed.addDays(-3))));
        m_fx->writeWatchList();
        frmfiledsip& w = m_fx->loadAndShow();
        QCOMPARE(m_fx->rows(), QStringList{EntryChecker::changedRowText(QStringLiteral("Accounts"))});
        m_fx->select(0);
        QVERIFY(w.findChild<ReminderActions*>()->preparerightpopup());
        QVERIFY(w.menus().rightpopupupdatefiledate->isVisible());
        if (deleted)
            QVERIFY(QFile::remove(file));
        const QByteArray before = readAll(m_fx->ini());
        w.menus().rightpopupupdatefiledate->trigger();
        QVERIFY(Prompter::history().isEmpty());
        // The row keeps its text until the next refresh.
        QCOMPARE(m_fx->rows(), QStringList{EntryChecker::changedRowText(QStringLiteral("Accounts"))});
        if (deleted) {
            QCOMPARE(readAll(m_fx->ini()), before);
            return;
        }
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("last date changed")), DateTexts::generalDate(changed));
        w.menus().optionsrefreash->trigger();
        QVERIFY(m_fx->rows().isEmpty());
        // A later change is reported again.
        TestHelpers::touch(file, changed.addSecs(60));
        w.menus().optionsrefreash->trigger();
        QCOMPARE(m_fx->rows(), QStringList{EntryChecker::changedRowText(QStringLiteral("Accounts"))});
    }

    void popupOffersUpdateOnlyForChangeReports_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<bool>("offered");
        QTest::newRow("TRUE") << "advisechanges=TRUE" << true;
        QTest::newRow("xTrUex") << "advisechanges=xTrUex" << true;
        QTest::newRow("true") << "advisechanges=true" << true;
        QTest::newRow("false") << "advisechanges=false" << false;
        QTest::newRow("empty") << "advisechanges=" << false;
        QTest::newRow("missing") << "" << false;
        QTest::newRow("tru e") << "advisechanges=tru e" << false;
    }

    void popupOffersUpdateOnlyForChangeReports()
    {
        QFETCH(QString, extra);
        QFETCH(bool, offered);
        frmfiledsip& w = oneOldEntry(kNoon, extra);
        // The item's state is left over from the last pop-up; each pop-up sets it afresh.
        w.menus().rightpopupupdatefiledate->setVisible(!offered);
        QVERIFY(w.findChild<ReminderActions*>()->preparerightpopup());
        QCOMPARE(w.menus().rightpopupupdatefiledate->isVisible(), offered);
        QCOMPARE(w.menus().rightpopup1->isVisible(), true);
        QCOMPARE(w.menus().rightpopupedit->isVisible(), true);
    }

    void popupAtThePointer_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("listed");    // else the list is empty
        QTest::addColumn<bool>("changes");   // the entry reports changes
        QTest::addColumn<QString>("choice"); // empty: closed with Esc
        QTest::addColumn<int>("days");
        QTest::newRow("right click, 2 days") << "right click" << true << true << "rightpopup2" << 2;
        QTest::newRow("left click, closed") << "left click" << true << false << "" << 0;
        QTest::newRow("menu key, a week") << "menu key" << true << false << "rightpopup7" << 7;
        // There the press selects nothing, and no pop-up shows.
        QTest::newRow("below the rows") << "below" << true << false << "" << 0;
        QTest::newRow("below, empty list") << "below" << false << false << "" << 0;
    }

    void popupAtThePointer()
    {
        QFETCH(QString, how);
        QFETCH(bool, listed);
        QFETCH(bool, changes);
        QFETCH(QString, choice);
        QFETCH(int, days);
        Clock::setMock(kNoon);
        frmfiledsip& w = m_fx->showBackup(kNoon.addDays(listed ? -9 : 0), QString(),
                                          changes ? QStringLiteral("advisechanges=TRUE") : QString());
        QListWidget* list = w.listoldfiles;
        QCOMPARE(list->count(), listed ? 1 : 0);
        const bool byKey = how == QLatin1String("menu key");
        if (byKey)
            m_fx->select(0);
        else // the click itself picks the row
            list->setCurrentRow(-1);
        const QPoint at = byKey                           ? QPoint(1, 1)
                          : how == QLatin1String("below") ? QPoint(10, list->viewport()->height() - 5)
                                                          : list->visualItemRect(list->item(0)).center();
        const QByteArray before = readAll(m_fx->ini());
        QPoint popupAt;
        const QList<QAction*> shown = answerPopup(
            [&] {
                if (byKey) {
                    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, list->mapToGlobal(at));
                    QApplication::sendEvent(list, &event);
                } else {
                    const Qt::MouseButton button =
                        how == QLatin1String("left click") ? Qt::LeftButton : Qt::RightButton;
                    QTest::mouseClick(list->viewport(), button, {}, at);
                }
            },
            [&](QMenu* menu) {
                popupAt = menu->pos();
                if (choice.isEmpty())
                    QTest::keyClick(menu, Qt::Key_Escape);
                else
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action(choice)).center());
            });
        if (how == QLatin1String("below")) {
            QVERIFY(shown.isEmpty());
            QVERIFY(!w.findChild<ReminderActions*>()->preparerightpopup());
            return;
        }
        const auto& m = w.menus();
        QList<QAction*> offered({m.rightpopupupdatefiledate, m.rightpopup1, m.rightpopup2, m.rightpopup7,
                                 m.rightpopup30, m.rightpopupnev, m.rightpopupedit});
        if (!changes)
            offered.removeFirst();
        // Items that answer no reminder follow the design's own.
        const QList<QAction*> all = m.rightpopup->actions();
        for (QAction* a : all.mid(all.indexOf(m.rightpopupedit) + 1)) {
            if (a->isVisible())
                offered += a;
        }
        QCOMPARE(shown, offered);
        if (!byKey)
            QCOMPARE(popupAt, list->viewport()->mapToGlobal(at));
        if (choice.isEmpty()) {
            QCOMPARE(readAll(m_fx->ini()), before);
            QCOMPARE(m_fx->rows().size(), 1);
        } else {
            QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Postponedate")),
                     DateTexts::shortDate(kNoon.date().addDays(days)));
            QVERIFY(m_fx->rows().isEmpty());
        }
    }

    void commandsActOnTheRowsOwnEntry_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("map"); // as the window wrote it, deleted, or rewritten by another copy
        for (const char* item : {"rightpopupnev", "postpone7days", "rightpopupupdatefiledate", "rightpopupedit"})
            for (const char* map : {"kept", "deleted", "rewritten"})
                QTest::addRow("%s, row map %s", item, map) << QString::fromLatin1(item) << QString::fromLatin1(map);
    }

    void commandsActOnTheRowsOwnEntry()
    {
        QFETCH(QString, item);
        QFETCH(QString, map);
        Clock::setMock(kNoon);
        // A fresh entry ahead of the old ones, so that row numbers are not entry numbers.
        m_fx->addEntry(0, QStringLiteral("Fresh"), kNoon, 5);
        m_fx->addEntry(1, QStringLiteral("Alpha"), kNoon.addDays(-9), 5);
        m_fx->addEntry(2, QStringLiteral("Beta"), kNoon.addDays(-8), 5);
        m_fx->writeWatchList();
        frmfiledsip& w = m_fx->loadAndShow();
        QCOMPARE(m_fx->rows(), (QStringList{"Alpha is 9 days old", "Beta is 8 days old"}));
        m_fx->select(1);
        if (map == QLatin1String("deleted"))
            QVERIFY(QFile::remove(m_fx->rowMap()));
        else if (map == QLatin1String("rewritten"))
            TestHelpers::writeAll(m_fx->rowMap(), "[tempfile 1]\nrealnumber=1\n");
        const QByteArray before = readAll(m_fx->ini());
        const QByteArray othersBefore = before.left(before.indexOf("[file 2]"));
        Prompter::queueAnswer(true);
        action(item)->trigger();
        QVERIFY(readAll(m_fx->ini()).contains(othersBefore));
        if (item == "rightpopupedit") {
            QVERIFY(w.editnotnew);
            QCOMPARE(w.filenumber, qint16(2));
            QCOMPARE(w.editor()->editor()->txtdescrip->text(), QStringLiteral("Beta"));
            QCOMPARE(readAll(m_fx->ini()), before);
        } else if (item == "rightpopupupdatefiledate") {
            QCOMPARE(stored(m_fx->ini(), 2, QStringLiteral("last date changed")),
                     DateTexts::generalDate(kNoon.addDays(-8)));
        } else {
            QVERIFY(!stored(m_fx->ini(), 2, QStringLiteral("Postponedate")).isEmpty());
            QCOMPARE(stored(m_fx->ini(), 2, QStringLiteral("Notactive")),
                     item == "rightpopupnev" ? QStringLiteral("true") : QString());
            QCOMPARE(m_fx->rows(), QStringList{"Alpha is 9 days old"});
        }
    }
};

QTEST_MAIN(TestReminderActions)
#include "tst_reminderactions.moc"
