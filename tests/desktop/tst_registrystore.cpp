#include "ForkedCall.h"
#include "PermissionsApply.h"
#include "TestHelpers.h"
#include "base/AppError.h"
#include "base/AppInfo.h"
#include "desktop/AutostartEntry.h"
#include "desktop/DesktopExec.h"
#include "desktop/RegistryStore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

const QString kName = QStringLiteral("Staleguard StartUp");

} // namespace

class TestRegistryStore : public QObject
{
    Q_OBJECT

public:
    explicit TestRegistryStore(QString home) : m_home(std::move(home)) {}

private slots:
    void init()
    {
        m_config = m_home + QStringLiteral("/config");
        QDir(m_config).removeRecursively();
        QVERIFY(QDir().mkpath(m_config));
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), m_config);
    }

    void startupEntryReadsBackWhatWasWritten_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec"); // the Exec line as stored; empty when not checked

        QTest::newRow("plain") << "/usr/bin/Staleguard"
                               << "/usr/bin/Staleguard";
        QTest::newRow("blanks") << "/opt/My Apps/Staleguard"
                                << "\"/opt/My Apps/Staleguard\"";
        QTest::newRow("percent") << "/opt/100%/Staleguard"
                                 << "/opt/100%%/Staleguard";
        QTest::newRow("quote dollar backtick") << "/opt/a\"b$c`d/Staleguard"
                                               << "\"/opt/a\\\\\"b\\\\$c\\\\`d/Staleguard\"";
        QTest::newRow("backslash") << "/opt/a\\b/Staleguard"
                                   << "\"/opt/a\\\\\\\\b/Staleguard\"";
        QTest::newRow("shell characters") << "/opt/x;y&z|w (1) 'q' #h ~/*?<>/Staleguard" << QString();
        QTest::newRow("non-ASCII") << QString::fromUtf8("/home/j\xC3\xBCrgen/\xE6\x97\xA5/Staleguard") << QString();
        QTest::newRow("percent in quotes") << "/opt/50 %u/Staleguard"
                                           << "\"/opt/50 %%u/Staleguard\"";
        QTest::newRow("all of them at once") << "/opt/it's \"odd\" $HOME `x` 100% \\ (a)/Staleguard" << QString();
    }

    void startupEntryReadsBackWhatWasWritten()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        int flag = 0;
        RegistryStore::instance().SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, kName, program, 0,
                                           flag);
        QCOMPARE(runValue(kName), program);

        const QString path = m_config + QStringLiteral("/autostart/Staleguard-StartUp.desktop");
        const QString text = QString::fromUtf8(TestHelpers::readAll(path));
        QVERIFY2(text.startsWith(QStringLiteral("[Desktop Entry]\n")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("\nType=Application\n")));
        QVERIFY(text.contains(QStringLiteral("\nName=Staleguard StartUp\n")));
        QVERIFY(text.contains(QStringLiteral("\nX-GNOME-Autostart-enabled=true\n")));
        if (!exec.isEmpty())
            QVERIFY2(text.contains(QStringLiteral("\nExec=") + exec + QLatin1Char('\n')), qPrintable(text));

        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
        QProcess check;
        check.start(validator, {path});
        QVERIFY(check.waitForFinished(30000));
        const QString output = QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
        QVERIFY2(check.exitCode() == 0 && output.trimmed().isEmpty(), qPrintable(output));
    }

    void startupEntryAbsentOrSwitchedOff_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<QString>("expected");

        QTest::newRow("no file") << QByteArray() << "<default>";
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nType=Application\nExec=/bin/x\nHidden=true\n")
                                << "<default>";
        QTest::newRow("switched off in session settings")
            << QByteArray("[Desktop Entry]\nExec=/bin/x\nX-GNOME-Autostart-enabled=false\n") << "<default>";
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\n") << "<default>";
        QTest::newRow("Exec of another group")
            << QByteArray("[Desktop Action a]\nExec=/bin/y\n[Desktop Entry]\n") << "<default>";
        QTest::newRow("hidden false") << QByteArray("[Desktop Entry]\r\nExec=/bin/x\r\nHidden=false\r\n") << "/bin/x";
        QTest::newRow("written by hand with arguments")
            << QByteArray("[Desktop Entry]\nExec=\"/opt/a b/x\" --tray %U\n") << "\"/opt/a b/x\" --tray %U";
    }

    void startupEntryAbsentOrSwitchedOff()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        if (!file.isEmpty()) {
            QVERIFY(QDir().mkpath(AutostartEntry::folder()));
            TestHelpers::writeAll(AutostartEntry(kName).filePath(), file);
        }
        QCOMPARE(runValue(kName, QStringLiteral("<default>")), expected);
    }

    void startupEntryFileNameStaysInItsFolder_data()
    {
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("fileName");

        QTest::newRow("blank") << kName << "Staleguard-StartUp.desktop";
        QTest::newRow("path parts") << "../../x/y"
                                    << "------x-y.desktop";
        QTest::newRow("empty") << ""
                               << "-.desktop";
        QTest::newRow("dot") << "."
                             << "-.desktop";
    }

    void startupEntryFileNameStaysInItsFolder()
    {
        QFETCH(QString, valueName);
        QFETCH(QString, fileName);
        QCOMPARE(AutostartEntry::fileNameFor(valueName), fileName);
        int flag = 0;
        auto& store = RegistryStore::instance();
        store.DeleteValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, valueName, flag); // absent: no error
        store.SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, valueName, "/bin/p", 0, flag);
        const QString file = m_config + QStringLiteral("/autostart/") + fileName;
        QVERIFY(QFile::exists(file));
        QCOMPARE(runValue(valueName), QStringLiteral("/bin/p"));
        store.DeleteValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, valueName, flag);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(runValue(valueName), QString());
    }

    void startupEntryWriteFailureIsAnError()
    {
        int flag = 0;
        auto& store = RegistryStore::instance();
        store.SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, kName, "/bin/old", 0, flag);
        const QString folder = AutostartEntry::folder();
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        {
            PermissionsApply permissions;
            if (!permissions.ok()) {
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("Running as root without the right to drop capabilities");
            }
            for (bool remove : {false, true}) {
                try {
                    if (remove)
                        store.DeleteValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, kName, flag);
                    else
                        store.SetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, kName, "/bin/new", 0,
                                       flag);
                    QFAIL("A write into a read-only folder reported success");
                } catch (const AppError& e) {
                    QCOMPARE(e.number(), int(AppError::FileWrite));
                    QVERIFY2(e.description().contains(AutostartEntry(kName).filePath()), qPrintable(e.description()));
                }
            }
        }
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(runValue(kName), QStringLiteral("/bin/old"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left
    }

    void startupEntryThatDoesNotFitIsAnError()
    {
        const AutostartEntry entry(kName);
        entry.write("/bin/old");
        const QByteArray original = TestHelpers::readAll(entry.filePath());
        ForkedCall::Limits limits;
        limits.fileSize = 64;
        const auto outcome = ForkedCall::run(limits, [&] {
            try {
                entry.write("/bin/new");
                return QByteArray("saved");
            } catch (const AppError& e) {
                return e.description().toUtf8();
            }
        });
        QVERIFY(outcome.returned);
        QVERIFY2(outcome.text.contains("File too large"), outcome.text.constData());
        QCOMPARE(TestHelpers::readAll(entry.filePath()), original);
        QCOMPARE(QDir(AutostartEntry::folder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void otherKeysArePlainValues()
    {
        auto& store = RegistryStore::instance();
        const auto hive = RegistryStore::HKEY_CURRENT_USER;
        const QString keyA = QStringLiteral("Software\\Quillfen\\Staleguard\\Options");
        const QString keyB = QStringLiteral("Software\\Other\\Place");
        int flag = 0;
        QCOMPARE(store.GetValue(hive, keyA, "name/with\\slashes", flag, "def"), QStringLiteral("def"));
        store.SetValue(hive, keyA, "name/with\\slashes", "one", 0, flag);
        store.SetValue(hive, keyB, "name/with\\slashes", "two", 0, flag);
        store.SetValue(hive, keyB, "empty", "", 0, flag);
        QCOMPARE(store.GetValue(hive, keyA, "name/with\\slashes", flag, "def"), QStringLiteral("one"));
        QCOMPARE(store.GetValue(hive, keyB, "name/with\\slashes", flag, "def"), QStringLiteral("two"));
        QCOMPARE(store.GetValue(hive, keyB, "empty", flag, "def"), QString()); // present, though empty
        store.DeleteValue(hive, keyA, "name/with\\slashes", flag);
        QCOMPARE(store.GetValue(hive, keyA, "name/with\\slashes", flag, "def"), QStringLiteral("def"));
        QCOMPARE(store.GetValue(hive, keyB, "name/with\\slashes", flag, "def"), QStringLiteral("two"));
        // The per-user configuration of the company and product, not the autostart folder.
        QVERIFY(QFile::exists(m_config + QStringLiteral("/Quillfen/Staleguard.conf")));
        QVERIFY(!QFile::exists(AutostartEntry::folder()));
    }

    void windowPositionsRoundTripPerWindow()
    {
        auto& store = RegistryStore::instance();
        const QString key = AppInfo::windowPositionsKey();
        const auto hive = RegistryStore::HKEY_CURRENT_USER;
        // A window of `name` at `at` that saves its place, or loads it when `at` is empty.
        const auto window = [&](const char* name, const QRect& at) {
            auto w = std::make_unique<QWidget>();
            w->setObjectName(QString::fromLatin1(name));
            w->setGeometry(at.isEmpty() ? QRect(7, 8, 90, 60) : at);
            if (at.isEmpty())
                store.LoadWindowPos(w.get(), key, 0, hive);
            else
                store.SaveWindowPos(w.get(), key, hive);
            return w;
        };
        window("frmfiledsip", QRect(40, 50, 300, 200));
        window("frmaddnewfile", QRect(100, 120, 250, 150));
        QCOMPARE(window("frmfiledsip", {})->geometry(), QRect(40, 50, 300, 200));
        QCOMPARE(window("frmaddnewfile", {})->geometry(), QRect(100, 120, 250, 150));
        QCOMPARE(window("frmAbout", {})->geometry(), QRect(7, 8, 90, 60)); // never saved: left where it was

        // Saved far off every screen (the screen it was on is gone): it comes back onto one.
        window("frmfiledsip", QRect(9000, 9000, 300, 200));
        const auto moved = window("frmfiledsip", {});
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.intersects(moved->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(moved->x()).arg(moved->y())));
    }

    void keepOnScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("expected"); // screens: 1920x1080 (primary) and 1280x1024 right of it

        QTest::newRow("inside") << QRect(100, 100, 400, 300) << QRect(100, 100, 400, 300);
        QTest::newRow("on the second screen") << QRect(2000, 500, 400, 300) << QRect(2000, 500, 400, 300);
        QTest::newRow("partly off, grip shows") << QRect(-300, 900, 400, 300) << QRect(-300, 900, 400, 300);
        QTest::newRow("only a sliver of the top shows") << QRect(-390, 100, 400, 300) << QRect(760, 390, 400, 300);
        QTest::newRow("title bar above every screen") << QRect(100, -200, 400, 300) << QRect(760, 390, 400, 300);
        QTest::newRow("below the shorter screen") << QRect(2000, 1050, 400, 300) << QRect(760, 390, 400, 300);
        QTest::newRow("far away and too big") << QRect(-5000, -5000, 3000, 2000) << QRect(0, 0, 1920, 1080);
    }

    void keepOnScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, expected);
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1280, 1024);
        QCOMPARE(RegistryStore::keepOnScreen(frame, {left, right}, left), expected);
    }

private:
    QString runValue(const QString& name, const QString& def = QString())
    {
        int flag = 0;
        return RegistryStore::instance().GetValue(RegistryStore::HKEY_CURRENT_USER, RegistryStore::RunKey, name, flag,
                                                  def);
    }

    QString m_home;
    QString m_config;
};

int main(int argc, char* argv[])
{
    // Everything per-user goes to a folder of our own before anything looks it up.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    QApplication app(argc, argv);
    TestRegistryStore test(home.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registrystore.moc"
