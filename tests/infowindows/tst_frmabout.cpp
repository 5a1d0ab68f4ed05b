#include "PromptChecks.h"
#include "Screenshots.h"
#include "base/AppInfo.h"
#include "controls/HyperLink.h"
#include "controls/Prompter.h"
#include "infowindows/frmAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestFrmAbout : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_opened.clear();
        m_openSucceeds = true;
        HyperLink::setUrlOpener([this](const QUrl& url) {
            m_opened.append(url);
            return m_openSucceeds;
        });
        Prompter::setScripted(true);
        Prompter::clearHistory();
    }

    void cleanup()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            delete qobject_cast<frmAbout*>(window);
        HyperLink::setUrlOpener({});
    }

    void showsWhoWeAre()
    {
        frmAbout* about = frmAbout::showAbout();
        QVERIFY(QTest::qWaitForWindowExposed(about));

        QCOMPARE(about->windowTitle(), QString("About Staleguard"));
        QCOMPARE(about->lblTitle->text(), QString("Staleguard"));
        QCOMPARE(about->lblVersion->text(), AppInfo::versionText());
        QCOMPARE(about->IELink->caption(), QString("Click Here to go to Quillfen Web Page"));
        QVERIFY(about->lblDescription->text().contains("Quillfen"));
        QVERIFY(about->Label1->text().contains("settings module"));
        QVERIFY(!about->Label1->text().contains('\r'));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(!about->isModal());
        QVERIFY(about->cmdOK->isDefault());
        QVERIFY(!about->Image1->pixmap().isNull());

        // Every element stays inside the window, and texts show whole.
        for (QWidget* child : about->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            QVERIFY2(about->rect().contains(child->geometry()), qPrintable(child->objectName()));
            const auto* label = qobject_cast<QLabel*>(child);
            if (label && label->wordWrap())
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(child->objectName()));
            else if (label || qobject_cast<QAbstractButton*>(child))
                QVERIFY2(child->sizeHint().width() <= child->width(), qPrintable(child->objectName()));
        }
        QVERIFY(about->grab().save(Screenshots::path("about-window.png")));
    }

    void closes_data()
    {
        QTest::addColumn<int>("key"); // 0: OK clicked, -1: the close box
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("OK clicked") << 0;
        QTest::newRow("close box") << -1;
    }

    void closes()
    {
        QFETCH(int, key);
        QPointer<frmAbout> about = frmAbout::showAbout();
        QVERIFY(QTest::qWaitForWindowActive(about));
        QCOMPARE(QApplication::focusWidget(), about->cmdOK);
        if (key > 0)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        else if (key == 0)
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        else
            QVERIFY(about->close());
        QTRY_VERIFY(!about);
        QVERIFY(m_opened.isEmpty());
    }

    void openingTwiceLeavesOneWindow()
    {
        QWidget mainWindow;
        mainWindow.show();
        frmAbout* first = frmAbout::showAbout(&mainWindow);
        first->lblVersion->setText("marked");
        frmAbout* second = frmAbout::showAbout(&mainWindow);

        QCOMPARE(second, first);
        QCOMPARE(second->lblVersion->text(), QString("marked"));
        QCOMPARE(mainWindow.findChildren<frmAbout*>().size(), 1);
        QVERIFY(second->isVisible());
        QVERIFY(mainWindow.isEnabled());

        // Closed, it is gone; the next opening builds it afresh.
        QPointer<frmAbout> gone = second;
        second->close();
        QTRY_VERIFY(!gone);
        frmAbout* third = frmAbout::showAbout(&mainWindow);
        QCOMPARE(third->lblVersion->text(), AppInfo::versionText());
    }

    void linksOpenTheirAddresses_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QUrl>("address");

        const QUrl web("https://quillfen.example/staleguard");
        const QUrl mail("mailto:staleguard@quillfen.example");
        QTest::newRow("web page clicked") << "IELink" << false << web;
        QTest::newRow("web page by key") << "IELink" << true << web;
        QTest::newRow("mail clicked") << "IELink3" << false << mail;
        QTest::newRow("mail by key") << "IELink3" << true << mail;
        QTest::newRow("mail that cannot open") << "IELink3" << false << QUrl();
    }

    void linksOpenTheirAddresses()
    {
        QFETCH(QString, link);
        QFETCH(bool, byKey);
        QFETCH(QUrl, address);
        m_openSucceeds = !address.isEmpty();
        frmAbout* about = frmAbout::showAbout();
        QVERIFY(QTest::qWaitForWindowActive(about));
        auto* target = about->findChild<HyperLink*>(link);
        QVERIFY(target);
        QCOMPARE(target->accessibleName(), target->caption());

        if (byKey) {
            // Tab order: OK, the web link, the mail link.
            QTest::keyClick(about->cmdOK, Qt::Key_Tab);
            if (link == "IELink3")
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), target);
            QTest::keyClick(target, Qt::Key_Space);
            QTest::keyClick(target, Qt::Key_Return);
        } else {
            QTest::mouseClick(target, Qt::LeftButton);
            QTest::mouseClick(target, Qt::RightButton);
        }

        QVERIFY(about->isVisible());
        if (!m_openSucceeds) {
            const Prompter::Record* told = PromptChecks::onlyMessage(Prompter::Icon::Warning);
            QVERIFY(told);
            QVERIFY(told->text.contains("mailto:staleguard@quillfen.example"));
            return;
        }
        QCOMPARE(m_opened, QList<QUrl>(byKey ? 2 : 1, address));
        QVERIFY(Prompter::history().isEmpty());
    }

private:
    QList<QUrl> m_opened;
    bool m_openSucceeds = true;
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
