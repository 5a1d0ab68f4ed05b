#include "desktop/DesktopExec.h"
#include "desktop/JobCommand.h"
#include "desktop/JobSafety.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Whether a job's command can run, and from which watch list file.
class TestJobCommand : public QObject
{
    Q_OBJECT

private slots:
    void split_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("splits");

        QTest::newRow("blanks part") << "systemctl  --user\tstart backup.service"
                                     << QStringList{"systemctl", "--user", "start", "backup.service"} << true;
        QTest::newRow("double quotes hold one") << "\"/opt/my tools/backup\" --to \"/mnt/b b\""
                                                << QStringList{"/opt/my tools/backup", "--to", "/mnt/b b"} << true;
        QTest::newRow("escapes inside quotes")
            << "\"a \\\"b\\\" \\$HOME \\`x\\` \\\\ \\n\"" << QStringList{"a \"b\" $HOME `x` \\ \\n"} << true;
        QTest::newRow("an empty quoted argument") << "backup \"\" last" << QStringList{"backup", "", "last"} << true;
        QTest::newRow("single quotes and a shell's characters are plain")
            << "backup 'a b' $HOME ~ % | x" << QStringList{"backup", "'a", "b'", "$HOME", "~", "%", "|", "x"} << true;
        QTest::newRow("a backslash outside quotes is plain")
            << "C:\\bin\\x a\\ b" << QStringList{"C:\\bin\\x", "a\\", "b"} << true;
        QTest::newRow("nothing") << "   " << QStringList() << true;
        QTest::newRow("a quote left open") << "backup \"--to /mnt" << QStringList() << false;
        QTest::newRow("an escaped closing quote leaves it open") << "\"backup\\\"" << QStringList() << false;
    }

    void split()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QFETCH(bool, splits);
        const std::optional<QStringList> got = DesktopExec::split(line);
        QCOMPARE(got.has_value(), splits);
        if (splits)
            QCOMPARE(*got, words);
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("command"); // "@" stands for the test's folder
        QTest::addColumn<QString>("program"); // empty when it cannot run
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("why");

        QTest::newRow("a program on PATH") << "sh -c \"exit 0\""
                                           << "sh" << QStringList{"-c", "exit 0"} << "";
        QTest::newRow("a full path") << "\"@/run me\" --nightly"
                                     << "@/run me" << QStringList{"--nightly"} << "";
        QTest::newRow("empty") << "  "
                               << "" << QStringList() << "There is no command to run.";
        QTest::newRow("a quote left open") << "\"@/run me --nightly"
                                           << "" << QStringList() << "The command has a \" that is never closed.";
        QTest::newRow("not on PATH") << "no-such-program-here x"
                                     << "" << QStringList() << "There is no program called no-such-program-here.";
        QTest::newRow("a relative path") << "bin/backup"
                                         << "" << QStringList()
                                         << "Give the whole path of bin/backup, starting with /.";
        QTest::newRow("no such file") << "@/gone"
                                      << "" << QStringList() << "The program @/gone does not exist.";
        QTest::newRow("a folder") << "@"
                                  << "" << QStringList() << "@ is a folder, not a program.";
        QTest::newRow("not executable") << "@/plain.txt"
                                        << "" << QStringList()
                                        << "@/plain.txt cannot be run: it is not marked as executable.";
    }

    void resolve()
    {
        QFETCH(QString, command);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString at = dir.path();
        for (const QString& name : {QStringLiteral("run me"), QStringLiteral("plain.txt")}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
        }
        QFile::setPermissions(dir.filePath(QStringLiteral("run me")), QFile::ReadOwner | QFile::ExeOwner);

        QString told;
        const std::optional<JobCommand> got = JobCommand::resolve(QString(command).replace('@', at), told);
        QCOMPARE(told, QString(why).replace('@', at));
        QCOMPARE(got.has_value(), !program.isEmpty());
        if (!got)
            return;
        if (program.contains('@')) {
            QCOMPARE(got->program, QString(program).replace('@', at));
        } else {
            // Found where PATH says.
            QVERIFY(QDir::isAbsolutePath(got->program));
            QCOMPARE(QFileInfo(got->program).fileName(), program);
        }
        QCOMPARE(got->arguments, arguments);
    }

    void safety_data()
    {
        QTest::addColumn<uint>("owner");
        QTest::addColumn<uint>("mode");
        QTest::addColumn<QString>("why");

        const QString others =
            QStringLiteral("Jobs do not run: others may change Staleguard.ini (chmod go-w fixes it).");
        QTest::newRow("the user's alone") << 1000u << 0600u << "";
        QTest::newRow("readable by all") << 1000u << 0644u << "";
        QTest::newRow("the group may write") << 1000u << 0664u << others;
        QTest::newRow("others may write") << 1000u << 0646u << others;
        QTest::newRow("another user's") << 1001u << 0600u << "Jobs do not run: Staleguard.ini belongs to another user.";
        QTest::newRow("root's, for a user")
            << 0u << 0600u << "Jobs do not run: Staleguard.ini belongs to another user.";
    }

    void safety()
    {
        QFETCH(uint, owner);
        QFETCH(uint, mode);
        QFETCH(QString, why);
        QCOMPARE(JobSafety::judge(owner, S_IFREG | mode, 1000u, QStringLiteral("Staleguard.ini")), why);
    }
};

QTEST_GUILESS_MAIN(TestJobCommand)
#include "tst_jobcommand.moc"
