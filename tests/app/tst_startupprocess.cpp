#include "TestHelpers.h"
#include "WatchListFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace TestHelpers;

namespace {

// One copy of the real program in a folder of its own, which is its program folder, with its own
// per-user folders so that nothing of the user running the tests is read or written.
struct Installed
{
    WatchListFolder dir;
    QString program() const { return dir.filePath(QStringLiteral("Staleguard")); }

    bool install(bool withWindow = true)
    {
        const QString built = qEnvironmentVariable("STALEGUARD_BIN");
        if (built.isEmpty() || !QFile::copy(built, program()))
            return false;
        // The window is a module the program loads from its own folder.
        const QString module = QFileInfo(built).dir().filePath(QStringLiteral("staleguard-window.so"));
        if (withWindow && !QFile::copy(module, dir.filePath(QStringLiteral("staleguard-window.so"))))
            return false;
        for (const char* sub : {"config", "data", "runtime"})
            QDir(dir.path()).mkdir(QLatin1String(sub));
        QFile::setPermissions(dir.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return true;
    }

    void start(QProcess& process, QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(channels);
        process.start(program(), {});
    }
};

} // namespace

class TestStartupProcess : public QObject
{
    Q_OBJECT

private slots:
    void closeOnStartEndsByItself_data()
    {
        QTest::addColumn<QString>("tray");
        QTest::newRow("window") << "false";
        QTest::newRow("tray as well") << "true";
    }

    void closeOnStartEndsByItself()
    {
        QFETCH(QString, tray);
        Installed app;
        QVERIFY(app.install());
        const QString watched = app.dir.filePath(QStringLiteral("fresh.txt"));
        touch(watched, QDateTime::currentDateTime());
        const QByteArray list = QStringLiteral("[Settings]\r\nStart in Tray=%1\r\nClose on Start=true\r\n\r\n"
                                               "[File 0]\r\nfilename=%2\r\ndays=30\r\ndescription=Fresh file\r\n")
                                    .arg(tray, watched)
                                    .toUtf8();
        writeAll(app.dir.iniPath(), list);
        writeAll(app.dir.rowMapPath(), "[tempfile 0]\nrealnumber=3\n"); // left by an earlier run

        QProcess process;
        QElapsedTimer clock;
        clock.start();
        app.start(process);
        QVERIFY(process.waitForStarted());
        QVERIFY2(process.waitForFinished(60000), "the program did not end by itself");
        const qint64 took = clock.elapsed();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(took >= 18500, qPrintable(QString::number(took)));
        QVERIFY(!QFile::exists(app.dir.rowMapPath()));
        QCOMPARE(readAll(app.dir.iniPath()), list);
    }

    // A program installed without its window says so and ends, while its check still runs.
    void withoutTheWindowModule()
    {
        Installed app;
        QVERIFY(app.install(false));
        writeAll(app.dir.iniPath(), "[File 0]\nfilename=/nowhere\ndays=3\ndescription=Gone\n");
        QProcess process;
        app.start(process, QProcess::SeparateChannels);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(process.readAllStandardError().contains("the window cannot start"), "no reason given");
        process.start(app.program(), {QStringLiteral("--check")});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 2);
    }
};

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_startupprocess.moc"
