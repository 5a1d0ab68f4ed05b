#include "TestHelpers.h"
#include "engine/FileQuery.h"
#include "engine/LocalQuery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

// Files on the local disks answer as the system's own stat() says, whether a share is mounted
// somewhere (the links are then followed by the program) or not (by the system).
class TestLocalQuery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void statAnswersAsTheSystem_data();
    void statAnswersAsTheSystem();
    void listGivesEachName_data();
    void listGivesEachName();
    void read();

private:
    QString folder() const { return m_dir.path() + QStringLiteral("/f\u00e4 x"); }

    QTemporaryDir m_dir;
};

namespace {

QString describe(const FileAnswer& a)
{
    if (a.state != FileAnswer::State::Found)
        return a.state == FileAnswer::State::Missing ? QStringLiteral("missing")
                                                     : QStringLiteral("unreachable ") + a.why;
    return QStringLiteral("found %1 %2.%3 %4").arg(a.regular).arg(a.mtimeSec).arg(a.mtimeNsec).arg(a.size);
}

// What the system says of a path, in the same words.
QString system(const QString& path)
{
    struct stat st
    {
    };
    const bool nul = path.contains(QChar(0)); // the name would end early, at another file
    if (!nul && ::stat(QFile::encodeName(path).constData(), &st) == 0)
        return QStringLiteral("found %1 %2.%3 %4")
            .arg(S_ISREG(st.st_mode))
            .arg(st.st_mtim.tv_sec)
            .arg(st.st_mtim.tv_nsec)
            .arg(st.st_size);
    const int error = nul ? ENOENT : errno;
    return error == ENOENT || error == ENOTDIR
               ? QStringLiteral("missing")
               : QStringLiteral("unreachable ") + QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

void TestLocalQuery::initTestCase()
{
    QVERIFY(QDir().mkpath(folder() + QStringLiteral("/sub/inner")));
    TestHelpers::touch(folder() + QStringLiteral("/a"), QDateTime::currentDateTime().addDays(-1));
    TestHelpers::writeAll(folder() + QStringLiteral("/b"), "twelve bytes");
    TestHelpers::touch(folder() + QStringLiteral("/sub/x"), QDateTime::currentDateTime().addDays(-3));
    for (const auto& [target, name] :
         {std::pair{"a", "link"}, {"none", "dangling"}, {"loop", "loop"}, {"sub/inner", "deep"}})
        QVERIFY(::symlink(target, QFile::encodeName(folder() + '/' + QLatin1String(name)).constData()) == 0);
}

void TestLocalQuery::cleanup()
{
    FileQuery::setMountTable(std::nullopt);
}

void TestLocalQuery::statAnswersAsTheSystem_data()
{
    QTest::addColumn<bool>("sharesMounted");
    QTest::newRow("no share mounted") << false;
    QTest::newRow("a share mounted elsewhere") << true;
}

void TestLocalQuery::statAnswersAsTheSystem()
{
    QFETCH(bool, sharesMounted);
    FileQuery::setMountTable(
        MountTable::parse("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n" +
                          QByteArray(sharesMounted ? "2 1 0:5 / /mnt/nas rw - nfs s:/ rw\n" : "")));
    // The first three are relative to the folder, the last names a file only up to its NUL.
    QStringList paths{QString(), QStringLiteral("a"), QStringLiteral("./sub/../b"), folder() + "/a" + QChar(0)};
    const QString names =
        QStringLiteral("a b link dangling loop none sub sub/ . .. a/x deep deep/../x sub/inner/../../b");
    for (const QString& name : names.split(QLatin1Char(' ')))
        paths << folder() + QLatin1Char('/') + name;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder());
    FileQuery query;
    for (const QString& path : paths)
        QCOMPARE(describe(query.stat(path)), system(path));
    QDir::setCurrent(previous);
}

void TestLocalQuery::listGivesEachName_data()
{
    QTest::addColumn<bool>("followHere");
    QTest::newRow("links followed by the system") << false;
    QTest::newRow("links followed by the caller") << true;
}

void TestLocalQuery::listGivesEachName()
{
    QFETCH(bool, followHere);
    const QByteArray at = QFile::encodeName(folder()) + '/';
    const QSet<QByteArray> links{at + "link", at + "dangling", at + "loop", at + "deep"};
    QSet<QByteArray> followed;
    QStringList seen;
    const FileAnswer listed = LocalQuery::list(
        QFile::encodeName(folder()),
        [&](const char* name, const FileAnswer& answer) {
            seen << QFile::decodeName(name);
            const bool byCaller = followed.contains(at + name);
            QCOMPARE(describe(answer), byCaller ? QStringLiteral("missing") : system(QFile::decodeName(at + name)));
        },
        followHere ? LocalQuery::Follow([&](const QByteArray& path) {
            followed << path;
            return FileAnswer();
        })
                   : LocalQuery::Follow());
    QCOMPARE(listed.state, FileAnswer::State::Found);
    QCOMPARE(followed, followHere ? links : QSet<QByteArray>());
    seen.sort();
    QCOMPARE(seen, QDir(folder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name));
    for (const char* notAFolder : {"a", "none"})
        QCOMPARE(LocalQuery::list(at + notAFolder, {}).state, FileAnswer::State::Missing);
}

void TestLocalQuery::read()
{
    QByteArray bytes;
    const FileAnswer answer = LocalQuery::read(QFile::encodeName(folder() + QStringLiteral("/b")), bytes);
    QVERIFY(answer.isFile());
    QCOMPARE(bytes, QByteArray("twelve bytes"));
    QCOMPARE(answer.size, 12);
    QCOMPARE(LocalQuery::read(QFile::encodeName(folder() + QStringLiteral("/none")), bytes).state,
             FileAnswer::State::Missing);
}

QTEST_GUILESS_MAIN(TestLocalQuery)
#include "tst_localquery.moc"
