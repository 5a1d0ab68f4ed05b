#include "MainWindowFixture.h"
#include "TestHelpers.h"
#include "background/BackgroundChecks.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "mainwindow/frmfiledsip.h"

#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace {

const QDateTime kNoon(QDate(2026, 12, 10), QTime(12, 0));
const QString kNoEntries = QStringLiteral("No files watched yet. Choose File > Subscribe to a File to add one.");
const QString kNothingOld = QStringLiteral("Nothing needs attention. Checked Thursday, 10 December 2026.");

// Whether anything but the background is painted in the list's viewport.
bool paintsSomething(QListWidget* list)
{
    const QImage image = list->viewport()->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours.size() > 1;
}

} // namespace

class TestEmptyList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fx;

private slots:
    void initTestCase()
    {
        MainWindowFixture::isolate();
        DateTexts::setLocaleForTesting(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    void cleanupTestCase() { DateTexts::resetLocaleForTesting(); }
    void init()
    {
        m_fx = MainWindowFixture::scripted();
        Clock::setMock(kNoon);
    }
    void cleanup() { m_fx.reset(); }

    void saysWhyItIsEmpty_data()
    {
        QTest::addColumn<int>("age");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no entries") << -1 << QString() << kNoEntries;
        QTest::newRow("only a removed one") << 9 << QStringLiteral("Notactive=true") << kNoEntries;
        QTest::newRow("nothing old") << 1 << QString() << kNothingOld;
        QTest::newRow("the old one postponed")
            << 9 << "Postponedate=" + DateTexts::shortDate(kNoon.date().addDays(1)) << kNothingOld;
    }

    // The note is painted and read out, but it is no row: nothing selects it, maps it or acts on it.
    void saysWhyItIsEmpty()
    {
        QFETCH(int, age);
        QFETCH(QString, extra);
        QFETCH(QString, expected);
        if (age >= 0)
            m_fx->addEntry(0, QStringLiteral("Backup"), kNoon.addDays(-age), 5, extra);
        m_fx->writeWatchList();
        frmfiledsip& w = m_fx->loadAndShow();
        QListWidget* list = w.listoldfiles;
        QCOMPARE(list->count(), 0);
        QCOMPARE(list->accessibleDescription(), expected);
        QVERIFY(paintsSomething(list));

        const QList<QAction*> shown =
            answerPopup([&] { QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(20, 10)); },
                        [](QMenu* menu) { menu->close(); });
        QVERIFY(shown.isEmpty());
        QCOMPARE(w.realfilenumber(), qint16(-1));
        QVERIFY(!QFile::exists(m_fx->rowMap()));
        QVERIFY(!w.menus().fileprintold->isEnabled());
    }

    // Rows take the note's place, in a refresh and in a check the user did not start alike.
    void rowsTakeItsPlace()
    {
        const QString file = m_fx->addEntry(0, QStringLiteral("Backup"), kNoon.addDays(-9), 5);
        m_fx->writeWatchList();
        frmfiledsip& w = m_fx->loadAndShow();
        QListWidget* list = w.listoldfiles;
        const QString own = list->accessibleDescription();
        QCOMPARE(list->count(), 1);
        QVERIFY(own.contains(QLatin1String("Shift+F10")));

        TestHelpers::touch(file, kNoon);
        BackgroundChecks* checks = w.findChild<BackgroundChecks*>();
        QSignalSpy done(checks, &BackgroundChecks::checkFinished);
        checks->requestCheck();
        QVERIFY(done.wait(10000) && done.first().first().toBool());
        QCOMPARE(list->count(), 0);
        QCOMPARE(list->accessibleDescription(), kNothingOld);

        TestHelpers::touch(file, kNoon.addDays(-9));
        w.optionsrefreash_Click();
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->accessibleDescription(), own);
    }
};

QTEST_MAIN(TestEmptyList)
#include "tst_emptylist.moc"
