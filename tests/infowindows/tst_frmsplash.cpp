#include "base/AppInfo.h"
#include "controls/SvgPicture.h"
#include "infowindows/frmSplash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
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
        QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version ") + AppInfo::version());
        QVERIFY(!splash.lblPlatform->text().isEmpty());
        QCOMPARE(splash.labelstatus->text(), QStringLiteral("Please Wait Checking Files."));
        QVERIFY(splash.imgLogo->isValid());
    }

    void layout()
    {
        frmSplash splash;
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        const auto place = [&](QWidget* w) { return QRect(w->mapTo(&splash, QPoint(0, 0)), w->size()); };
        for (QLabel* label : splash.findChildren<QLabel*>()) {
            // Each text shows whole, on the window and clear of the logo.
            const QByteArray name = label->objectName().toUtf8();
            QVERIFY2(splash.rect().contains(place(label)), name.constData());
            QVERIFY2(label->sizeHint().width() <= label->width(), name.constData());
            QVERIFY2(!place(label).intersects(place(splash.imgLogo)), name.constData());
            QVERIFY2(label == splash.lblProductName ||
                         label->font().pointSizeF() < splash.lblProductName->font().pointSizeF(),
                     name.constData());
        }
        QVERIFY(splash.lblProductName->font().bold());
        // The right-aligned lines end in one column, whatever the length of their texts.
        QCOMPARE(place(splash.lblVersion).right(), place(splash.lblPlatform).right());
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
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        // What each repaint of the status line showed.
        struct Painted : QObject
        {
            QStringList texts;
            bool eventFilter(QObject* watched, QEvent* event) override
            {
                if (event->type() == QEvent::Paint)
                    texts.append(static_cast<QLabel*>(watched)->text());
                return false;
            }
        } painted;
        splash.labelstatus->installEventFilter(&painted);
        splash.setStatus(frmSplash::checkingText());
        constexpr int kDots = 2000;
        for (int i = 0; i < kDots; ++i) {
            splash.addProgressDot();
            QVERIFY(splash.labelstatus->text().size() <= 70);
            QVERIFY(splash.labelstatus->text().startsWith(frmSplash::checkingText()));
        }
        splash.drawProgress();
        // 44 dots fill the line, the 45th starts it again.
        const QString last = frmSplash::checkingText() + QString(kDots % 45, QLatin1Char('.'));
        QCOMPARE(splash.labelstatus->text(), last);
        QCOMPARE(painted.texts.last(), last);
        // Drawn far less often than once a dot.
        QVERIFY2(painted.texts.size() < kDots / 10, qPrintable(QString::number(painted.texts.size())));
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
