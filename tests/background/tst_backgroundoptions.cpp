#include "PermissionsApply.h"
#include "WatchListFolder.h"
#include "background/BackgroundOptions.h"
#include "commands/BackgroundMenuItems.h"
#include "controls/Prompter.h"
#include "store/IniFile.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class TestBackgroundOptions : public QObject
{
    Q_OBJECT

private:
    WatchListFolder m_dir;

private slots:
    void init()
    {
        Prompter::setScripted(true);
        Prompter::clearHistory();
        QFile::remove(m_dir.iniPath());
    }

    void checkEveryReading_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("minutes");
        QTest::newRow("empty") << "" << 60;
        QTest::newRow("blanks") << "  " << 60;
        QTest::newRow("plain") << "15" << 15;
        QTest::newRow("with a unit") << "30 minutes" << 30;
        QTest::newRow("zero is off") << "0" << 0;
        QTest::newRow("text is off") << "hourly" << 0;
        QTest::newRow("negative is off") << "-5" << 0;
        QTest::newRow("below a half is off") << "0.4" << 0;
        QTest::newRow("half to even") << "2.5" << 2;
        QTest::newRow("a week") << "10080" << 10080;
        QTest::newRow("beyond a week") << "10081" << 10080;
        QTest::newRow("beyond 16 bits") << "40000" << 10080;
        QTest::newRow("huge") << QString(400, QLatin1Char('9')) << 10080;
    }

    void checkEveryReading()
    {
        QFETCH(QString, stored);
        QFETCH(int, minutes);
        QCOMPARE(BackgroundOptions::minutesFromText(stored), minutes);
        IniFile::instance().WriteString(QStringLiteral("Settings"), QStringLiteral("Check every"), stored,
                                        m_dir.iniPath());
        QCOMPARE(BackgroundOptions(m_dir.iniPath()).checkEveryMinutes(), minutes);
    }

    void notifyToggles()
    {
        BackgroundOptions options(m_dir.iniPath());
        QSignalSpy changed(&options, &BackgroundOptions::notifyChanged);
        QMenu menu;
        BackgroundMenuItems items(&menu, options, nullptr);
        QAction& item = *items.notifyItem();
        // As the menu does before it reports the click.
        item.setChecked(false);
        QCOMPARE(items.toggleNotify(), false);
        QCOMPARE(m_dir.setting(QStringLiteral("Notify")), QStringLiteral("false"));
        QVERIFY(!item.isChecked());
        item.setChecked(true);
        QCOMPARE(items.toggleNotify(), true);
        QCOMPARE(m_dir.setting(QStringLiteral("Notify")), QStringLiteral("true"));
        QVERIFY(item.isChecked());
        QCOMPARE(changed.count(), 2);
        QVERIFY(Prompter::history().isEmpty());
    }

    void checkEveryAsked_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<std::optional<int>>("answer");
        QTest::addColumn<QString>("after");
        QTest::newRow("set") << "" << std::optional<int>(5) << "5";
        QTest::newRow("off") << "60" << std::optional<int>(0) << "0";
        QTest::newRow("cancelled") << "15" << std::optional<int>() << "15";
        QTest::newRow("kept in range") << "" << std::optional<int>(99999) << "10080";
    }

    void checkEveryAsked()
    {
        QFETCH(QString, before);
        QFETCH(std::optional<int>, answer);
        QFETCH(QString, after);
        IniFile::instance().WriteString(QStringLiteral("Settings"), QStringLiteral("Check every"), before,
                                        m_dir.iniPath());
        BackgroundOptions options(m_dir.iniPath());
        QSignalSpy changed(&options, &BackgroundOptions::checkEveryChanged);
        QMenu menu;
        BackgroundMenuItems items(&menu, options, nullptr);
        Prompter::queueNumber(answer);
        QCOMPARE(items.askCheckEvery(), answer.has_value());
        QCOMPARE(m_dir.setting(QStringLiteral("Check every")), after);
        QCOMPARE(changed.count(), answer ? 1 : 0);
        QCOMPARE(Prompter::history().size(), 1);
    }

    void failedWriteIsReported()
    {
        const QString folder = m_dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        PermissionsApply permissions;
        if (!permissions.ok())
            QSKIP("file permissions cannot be made to apply here");
        BackgroundOptions options(folder + QStringLiteral("/Staleguard.ini"));
        QMenu menu;
        BackgroundMenuItems items(&menu, options, nullptr);
        Prompter::queueNumber(10);
        QVERIFY(!items.askCheckEvery());
        items.notifyItem()->setChecked(true);
        QVERIFY(items.toggleNotify());
        QVERIFY(items.notifyItem()->isChecked());
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(Prompter::history().size(), 3);
        QCOMPARE(Prompter::history().at(1).icon, Prompter::Icon::Warning);
        QCOMPARE(Prompter::history().at(2).icon, Prompter::Icon::Warning);
    }
};

QTEST_MAIN(TestBackgroundOptions)
#include "tst_backgroundoptions.moc"
