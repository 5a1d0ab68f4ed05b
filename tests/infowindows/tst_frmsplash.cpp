#include "base/AppInfo.h"
#include "controls/SvgPicture.h"
#include "infowindows/frmSplash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

class TestFrmSplash : public QObject
{
    Q_OBJECT

private slots:
    void showsTheProgramsIdentity()
    {
        frmSplash splash;
        QCOMPARE(splash.lblCompanyProduct->text(), QStringLiteral("Quillfen"));
        QCOMPARE(splash.lblProductName->text(), QStringLiteral("Staleguard"));
        QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version %1.%2.%3")
                                                .arg(AppInfo::versionMajor())
                                                .arg(AppInfo::versionMinor())
                                                .arg(AppInfo::versionRevision()));
        QVERIFY(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+\\.\\d+$"))
                    .match(splash.lblVersion->text())
                    .hasMatch());
        QVERIFY(!splash.lblPlatform->text().isEmpty());
        QCOMPARE(splash.labelstatus->text(), QStringLiteral("Please Wait Checking Files."));
        QVERIFY(splash.imgLogo->isValid());
    }

    void layout()
    {
        frmSplash splash;
        QCOMPARE(splash.size(), QSize(492, 280));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.imgLogo->mapTo(&splash, QPoint(0, 0)), QPoint(16, 48));
        QCOMPARE(splash.imgLogo->size(), QSize(145, 159));
        QCOMPARE(splash.labelstatus->mapTo(&splash, QPoint(0, 0)), QPoint(24, 232));
        // Right-aligned lines keep their right edge when sized to their text.
        const QPoint versionRight = splash.lblVersion->mapTo(&splash, QPoint(splash.lblVersion->width(), 0));
        QCOMPARE(versionRight.x(), (5970 + 885) / 15);
        QVERIFY(splash.lblProductName->font().bold());
        QCOMPARE(splash.lblProductName->font().pointSizeF(), 32.25);
        for (QLabel* label : splash.findChildren<QLabel*>())
            QVERIFY2(splash.rect().contains(label->mapTo(&splash, label->rect().bottomRight())),
                     qPrintable(label->objectName()));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(splash.geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(splash.geometry().center().y() - screen.center().y()) <= 1);
    }

    void progressDots_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const QString base = frmSplash::checkingText();
        QTest::newRow("first") << base << base + ".";
        QTest::newRow("at 70") << QString(69, QLatin1Char('.')) << QString(70, QLatin1Char('.'));
        QTest::newRow("past 70") << QString(70, QLatin1Char('.')) << base;
        QTest::newRow("layout text") << QStringLiteral("Please Wait Checking Files.")
                                     << QStringLiteral("Please Wait Checking Files..");
    }

    void progressDots()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QCOMPARE(frmSplash::withProgressDot(before), after);
    }

    void manyEntriesStartTheDotsAgain()
    {
        frmSplash splash;
        splash.setStatus(frmSplash::checkingText());
        for (int i = 0; i < 200; ++i) {
            splash.addProgressDot();
            QVERIFY(splash.labelstatus->text().size() <= 70);
            QVERIFY(splash.labelstatus->text().startsWith(frmSplash::checkingText()));
        }
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("digit") << int(Qt::Key_7) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << true;
        QTest::newRow("enter") << int(Qt::Key_Return) << true;
        QTest::newRow("escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << true;
        QTest::newRow("arrow") << int(Qt::Key_Left) << false;
        QTest::newRow("function key") << int(Qt::Key_F1) << false;
        QTest::newRow("shift") << int(Qt::Key_Shift) << false;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(bool, closes);
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QTest::keyClick(splash, Qt::Key(key));
        if (closes) {
            QTRY_VERIFY(splash.isNull()); // closed and deleted
        } else {
            QTest::qWait(20);
            QVERIFY(!splash.isNull());
            QVERIFY(splash->isVisible());
            delete splash;
        }
    }
};

QTEST_MAIN(TestFrmSplash)
#include "tst_frmsplash.moc"
