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
        QTest::addColumn<bool>("removed");

        const QDate today = kNoon.date();
        QTest::newRow("pop-up 1 day") << kNoon << "rightpopup1" << today.addDays(1) << false;
        QTest::newRow("pop-up 2 days") << kNoon << "rightpopup2" << today.addDays(2) << false;
        QTest::newRow("pop-up a week") << kNoon << "rightpopup7" << today.addDays(7) << false;
        QTest::newRow("pop-up a month") << kNoon << "rightpopup30" << today.addDays(30) << false;
        QTest::newRow("menu 1 day") << kNoon << "postpone1day" << today.addDays(1) << false;
        QTest::newRow("menu 2 days") << kNoon << "postpone2days" << today.addDays(2) << false;
        QTest::newRow("menu a week") << kNoon << "postpone7days" << today.addDays(7) << false;
        QTest::newRow("menu a month") << kNoon << "postpone30days" << today.addDays(30) << false;
        QTest::newRow("never") << kNoon << "rightpopupnev" << today << true;
        QTest::newRow("a month from 31 January")
            << QDateTime(QDate(2023, 1, 31), QTime(9, 0)) << "rightpopup30" << QDate(2023, 3, 2) << false;
        QTest::newRow("a month from 31 January, leap year")
            << QDateTime(QDate(2024, 1, 31), QTime(9, 0)) << "postpone30days" << QDate(2024, 3, 1) << false;
        QTest::newRow("a week over the year's end")
            << QDateTime(QDate(2024, 12, 28), QTime(23, 59, 59)) << "rightpopup7" << QDate(2025, 1, 4) << false;
        QTest::newRow("just after midnight")
            << QDateTime(QDate(2024, 5, 10), QTime(0, 0, 1)) << "rightpopup1" << QDate(2024, 5, 11) << false;
    }

    void postponeDates()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, item);
        QFETCH(QDate, expected);
        QFETCH(bool, removed);
        frmfiledsip& w = oneOldEntry(now);
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 9 days old")});
        if (removed)
            Prompter::queueAnswer(true);
        action(item)->trigger();
        const QString text = stored(m_fx->ini(), 0, QStringLiteral("Postponedate"));
        QCOMPARE(text, DateTexts::shortDate(expected));
        QCOMPARE(DateTexts::parseShortDate(text), std::optional<QDate>(expected));
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Notactive")), removed ? QStringLiteral("true") : QString());
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
        // Gone for good: not even the view of all files lists it, and its number is free again.
        m_fx->window().menus().viewshowall->trigger();
        QVERIFY(m_fx->rows().isEmpty());
        QCOMPARE(m_fx->window().getnextfreenumber(), qint16(0));
    }

    void withoutASelectedRowNothingIsWritten_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("currentButUnselected");
        for (const char* item : {"postpone1day", "postpone2days", "postpone7days", "postpone30days", "postponenever"}) {
            QTest::addRow("%s, no row", item) << QString::fromLatin1(item) << false;
            QTest::addRow("%s, selection cleared", item) << QString::fromLatin1(item) << true;
        }
    }

    void withoutASelectedRowNothingIsWritten()
    {
        QFETCH(QString, item);
        QFETCH(bool, currentButUnselected);
        oneOldEntry(kNoon);
        QListWidget* list = m_fx->window().listoldfiles;
        if (currentButUnselected) {
            list->setCurrentRow(0);
            list->item(0)->setSelected(false);
        } else {
            list->setCurrentRow(-1);
        }
        QVERIFY(m_fx->window().menus().postponemenu->isEnabled());
        const QByteArray before = readAll(m_fx->ini());
        action(item)->trigger();
        QCOMPARE(readAll(m_fx->ini()), before);
        QVERIFY(!before.contains("file -1"));
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

    void popupAtThePointer()
    {
        frmfiledsip& w = oneOldEntry(kNoon, QStringLiteral("advisechanges=TRUE"));
        w.listoldfiles->setCurrentRow(-1);
        QWidget* viewport = w.listoldfiles->viewport();
        const QPoint onRow = w.listoldfiles->visualItemRect(w.listoldfiles->item(0)).center();
        QPoint popupAt;
        const QList<QAction*> shown = answerPopup([&] { QTest::mouseClick(viewport, Qt::RightButton, {}, onRow); },
                                                  [&](QMenu* menu) {
                                                      popupAt = menu->pos();
                                                      const QRect item = menu->actionGeometry(w.menus().rightpopup2);
                                                      QTest::mouseClick(menu, Qt::LeftButton, {}, item.center());
                                                  });
        QCOMPARE(shown, QList<QAction*>({w.menus().rightpopupupdatefiledate, w.menus().rightpopup1,
                                         w.menus().rightpopup2, w.menus().rightpopup7, w.menus().rightpopup30,
                                         w.menus().rightpopupnev, w.menus().rightpopupedit}));
        QCOMPARE(popupAt, viewport->mapToGlobal(onRow));
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Postponedate")), DateTexts::shortDate(kNoon.date().addDays(2)));
        QVERIFY(m_fx->rows().isEmpty());
    }

    void popupClosedWithoutChoosingChangesNothing()
    {
        frmfiledsip& w = oneOldEntry(kNoon);
        const QByteArray before = readAll(m_fx->ini());
        const QPoint onRow = w.listoldfiles->visualItemRect(w.listoldfiles->item(0)).center();
        const QList<QAction*> shown =
            answerPopup([&] { QTest::mouseClick(w.listoldfiles->viewport(), Qt::LeftButton, {}, onRow); },
                        [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
        QCOMPARE(shown.size(), 6); // no "Update the File Date"
        QCOMPARE(readAll(m_fx->ini()), before);
        QCOMPARE(m_fx->rows().size(), 1);
    }

    void noPopupWithoutASelectedRow_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::newRow("empty list") << true;
        QTest::newRow("no row selected") << false;
    }

    void noPopupWithoutASelectedRow()
    {
        QFETCH(bool, empty);
        Clock::setMock(kNoon);
        frmfiledsip& w = m_fx->showBackup(kNoon.addDays(empty ? 0 : -9));
        QCOMPARE(w.listoldfiles->count(), empty ? 0 : 1);
        w.listoldfiles->setCurrentRow(-1);
        // Below the rows: the press selects nothing.
        const QPoint below(10, w.listoldfiles->viewport()->height() - 5);
        const QList<QAction*> shown = answerPopup(
            [&] { QTest::mouseClick(w.listoldfiles->viewport(), Qt::RightButton, {}, below); }, [](QMenu*) {});
        QVERIFY(shown.isEmpty());
        QVERIFY(!w.findChild<ReminderActions*>()->preparerightpopup());
    }

    void menuKeyOpensThePopup()
    {
        frmfiledsip& w = oneOldEntry(kNoon);
        w.listoldfiles->setFocus();
        const QList<QAction*> shown = answerPopup(
            [&] {
                QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                        w.listoldfiles->mapToGlobal(QPoint(1, 1)));
                QApplication::sendEvent(w.listoldfiles, &event);
            },
            [&](QMenu* menu) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(w.menus().rightpopup7).center());
            });
        QCOMPARE(shown.size(), 6);
        QCOMPARE(stored(m_fx->ini(), 0, QStringLiteral("Postponedate")), DateTexts::shortDate(kNoon.date().addDays(7)));
    }

    void commandsActOnTheRowsOwnEntry_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("mapDeleted"); // else another copy rewrote it for its own rows
        for (const char* item : {"rightpopupnev", "postpone7days", "rightpopupupdatefiledate", "rightpopupedit"}) {
            QTest::addRow("%s, row map deleted", item) << QString::fromLatin1(item) << true;
            QTest::addRow("%s, row map rewritten", item) << QString::fromLatin1(item) << false;
        }
    }

    void commandsActOnTheRowsOwnEntry()
    {
        QFETCH(QString, item);
        QFETCH(bool, mapDeleted);
        Clock::setMock(kNoon);
        m_fx->addEntry(0, QStringLiteral("Alpha"), kNoon.addDays(-9), 5);
        m_fx->addEntry(1, QStringLiteral("Beta"), kNoon.addDays(-8), 5);
        m_fx->writeWatchList();
        frmfiledsip& w = m_fx->loadAndShow();
        QCOMPARE(m_fx->rows(), (QStringList{"Alpha is 9 days old", "Beta is 8 days old"}));
        m_fx->select(1);
        if (mapDeleted)
            QVERIFY(QFile::remove(m_fx->rowMap()));
        else
            TestHelpers::writeAll(m_fx->rowMap(), "[tempfile 1]\nrealnumber=0\n");
        const QByteArray alphaBefore = readAll(m_fx->ini()).split('[').at(2);
        Prompter::queueAnswer(true);
        action(item)->trigger();
        QVERIFY(readAll(m_fx->ini()).contains(alphaBefore));
        if (item == "rightpopupedit") {
            QCOMPARE(w.filenumber, qint16(1));
            QCOMPARE(m_fx->window().editor()->editor()->txtdescrip->text(), QStringLiteral("Beta"));
        } else if (item == "rightpopupupdatefiledate") {
            QCOMPARE(stored(m_fx->ini(), 1, QStringLiteral("last date changed")),
                     DateTexts::generalDate(kNoon.addDays(-8)));
        } else {
            QVERIFY(!stored(m_fx->ini(), 1, QStringLiteral("Postponedate")).isEmpty());
            QCOMPARE(stored(m_fx->ini(), 1, QStringLiteral("Notactive")),
                     item == "rightpopupnev" ? QStringLiteral("true") : QString());
            QCOMPARE(m_fx->rows(), QStringList{"Alpha is 9 days old"});
        }
    }

    // A row that is current without being selected has not been chosen: Ctrl+click took the
    // selection away, or Tab brought the focus into the list.
    void editRefusesARowNotChosen_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("tabbedIn");
        for (const char* item : {"fileeditfile", "rightpopupedit"}) {
            QTest::addRow("%s, Ctrl+click", item) << QString::fromLatin1(item) << false;
            QTest::addRow("%s, Tab into the list", item) << QString::fromLatin1(item) << true;
        }
    }

    void editRefusesARowNotChosen()
    {
        QFETCH(QString, item);
        QFETCH(bool, tabbedIn);
        frmfiledsip& w = oneOldEntry(kNoon);
        QListWidget* list = w.listoldfiles;
        if (tabbedIn) {
            list->setCurrentRow(-1);
            w.cmdok->setFocus();
            QTest::keyClick(w.cmdok, Qt::Key_Tab);
            QVERIFY(list->hasFocus());
        } else {
            const QPoint onRow = list->visualItemRect(list->item(0)).center();
            // The release shows the pop-up before the list takes the selection away.
            answerPopup([&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, onRow); },
                        [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
        }
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->selectedItems().isEmpty());
        Prompter::clearHistory();
        action(item)->trigger();
        QVERIFY(!m_fx->window().editor()->editor());
        const Prompter::Record* told = PromptChecks::onlyMessage(Prompter::Icon::Stop);
        QVERIFY(told);
        QCOMPARE(told->text, QStringLiteral("You must first select an item from the list"));
    }

    void editFileOpensTheEditorOnTheSelectedEntry()
    {
        Clock::setMock(kNoon);
        m_fx->addEntry(0, QStringLiteral("Fresh"), kNoon, 5);
        m_fx->addEntry(1, QStringLiteral("Backup"), kNoon.addDays(-9), 5);
        m_fx->writeWatchList();
        frmfiledsip& w = m_fx->loadAndShow();
        QCOMPARE(m_fx->rows(), QStringList{QStringLiteral("Backup is 9 days old")});
        m_fx->select(0);
        const QByteArray before = readAll(m_fx->ini());
        w.menus().rightpopupedit->trigger();
        QVERIFY(m_fx->window().editor()->editor());
        QVERIFY(w.editnotnew);
        QCOMPARE(w.filenumber, qint16(1));
        QCOMPARE(m_fx->window().editor()->editor()->txtdescrip->text(), QStringLiteral("Backup"));
        QCOMPARE(readAll(m_fx->ini()), before);
    }
};

QTEST_MAIN(TestReminderActions)
#include "tst_reminderactions.moc"
