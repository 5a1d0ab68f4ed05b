#include "base/AppInfo.h"
#include "controls/TrayIcon.h"

#include <QSignalSpy>
#include <QTest>

class TestTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void startsOutOfTheTray()
    {
        TrayIcon tray;
        QVERIFY(!tray.enabled());
        QVERIFY(!tray.systemTrayIcon()->isVisible());
        QVERIFY(!tray.flashenabled());
        QCOMPARE(tray.tooltiptext(), AppInfo::productName());
        QCOMPARE(tray.systemTrayIcon()->toolTip(), AppInfo::productName());
        QVERIFY(!tray.systemTrayIcon()->icon().isNull());
        tray.setTooltiptext(QStringLiteral("Staleguard - You have old items"));
        QCOMPARE(tray.systemTrayIcon()->toolTip(), QStringLiteral("Staleguard - You have old items"));
    }

    void alternatesBetweenTheTwoIconsAndStopsOnTheNormalOne()
    {
        TrayIcon tray;
        tray.setFlashinterval(10);
        tray.setEnabled(true);
        tray.setFlashenabled(true);
        const qint64 normalKey = tray.systemTrayIcon()->icon().cacheKey();
        QTRY_COMPARE(tray.phase(), TrayIcon::Phase::Flash);
        QVERIFY(tray.systemTrayIcon()->icon().cacheKey() != normalKey);
        QTRY_COMPARE(tray.phase(), TrayIcon::Phase::Normal);
        QCOMPARE(tray.systemTrayIcon()->icon().cacheKey(), normalKey);
        QTRY_COMPARE(tray.phase(), TrayIcon::Phase::Flash);
        // Out of the tray it stops at once and stays on the normal icon, though flashing is asked for.
        tray.setEnabled(false);
        QVERIFY(!tray.isFlashing());
        QCOMPARE(tray.phase(), TrayIcon::Phase::Normal);
        QTest::qWait(60);
        QCOMPARE(tray.phase(), TrayIcon::Phase::Normal);
        QCOMPARE(tray.systemTrayIcon()->icon().cacheKey(), normalKey);
        QVERIFY(tray.flashenabled()); // the setting stays for the next time in the tray
        tray.setEnabled(true);
        QVERIFY(tray.isFlashing());
    }

    void clicksBecomeLeftAndRight_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("left click") << int(QSystemTrayIcon::Trigger) << 1 << 0;
        QTest::newRow("right click") << int(QSystemTrayIcon::Context) << 0 << 1;
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << 0 << 0;
        QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << 0 << 0;
    }

    void clicksBecomeLeftAndRight()
    {
        QFETCH(int, reason);
        QFETCH(int, left);
        QFETCH(int, right);
        TrayIcon tray;
        QSignalSpy leftSpy(&tray, &TrayIcon::LeftButtonClick);
        QSignalSpy rightSpy(&tray, &TrayIcon::RightButtonClick);
        emit tray.systemTrayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
        // Passed on once the icon's own event handling is over, not from inside it.
        QCOMPARE(leftSpy.count() + rightSpy.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(leftSpy.count(), left);
        QCOMPARE(rightSpy.count(), right);
    }

    void availabilityCanBeOverridden()
    {
        TrayIcon::overrideAvailability(true);
        QVERIFY(TrayIcon::systemTrayAvailable());
        TrayIcon::overrideAvailability(false);
        QVERIFY(!TrayIcon::systemTrayAvailable());
        TrayIcon::overrideAvailability(std::nullopt);
        QCOMPARE(TrayIcon::systemTrayAvailable(), QSystemTrayIcon::isSystemTrayAvailable());
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
