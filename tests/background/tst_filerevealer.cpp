// Runs on a private session bus of its own (dbus-run-session), where it plays the file manager.
#include "background/DBusFileRevealer.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDir>
#include <QTest>

namespace {

// A file manager that records what it is asked to show, or refuses it.
class FakeFileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    explicit FakeFileManager(bool refuses)
        : m_refuses(refuses), m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "filemanager"))
    {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), this, QDBusConnection::ExportAllSlots);
        m_bus.registerService(DBusFileRevealer::serviceName());
    }
    ~FakeFileManager() override { QDBusConnection::disconnectFromBus(m_bus.name()); }

    QList<QStringList> shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&)
    {
        if (m_refuses)
            sendErrorReply(QDBusError::Failed, QStringLiteral("cannot show that"));
        else
            shown.append(uris);
    }

private:
    bool m_refuses;
    QDBusConnection m_bus;
};

} // namespace

class TestFileRevealer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs a session bus: run it under dbus-run-session");
    }

    void uris_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("folder");

        QTest::newRow("spaces") << "/srv/back ups/night 1.tar"
                                << "file:///srv/back%20ups/night%201.tar"
                                << "file:///srv/back%20ups/";
        QTest::newRow("non-ASCII") << "/home/jürgen/Nächte/état.tar"
                                   << "file:///home/j%C3%BCrgen/N%C3%A4chte/%C3%A9tat.tar"
                                   << "file:///home/j%C3%BCrgen/N%C3%A4chte/";
        QTest::newRow("characters a URI reserves") << "/data/50% #1?.txt"
                                                   << "file:///data/50%25%20%231%3F.txt"
                                                   << "file:///data/";
        const QString longFolder = QStringLiteral("/mnt/nas") + QStringLiteral("/Sicherung für Büro").repeated(60);
        const QString encoded =
            QStringLiteral("/mnt/nas") + QStringLiteral("/Sicherung%20f%C3%BCr%20B%C3%BCro").repeated(60);
        QTest::newRow("long") << longFolder + "/x.zip"
                              << "file://" + encoded + "/x.zip"
                              << "file://" + encoded + "/";
        // A file that could not be found or reached is shown as its folder.
        QTest::newRow("folder") << "/srv/Nächte/"
                                << "file:///srv/N%C3%A4chte"
                                << "file:///srv/N%C3%A4chte/";
        QTest::newRow("root") << "/"
                              << "file:///"
                              << "file:///";
        const QString here = QUrl::fromLocalFile(QDir::currentPath()).toString(QUrl::FullyEncoded);
        QTest::newRow("relative") << "b c.tar" << here + "/b%20c.tar" << here + "/";
    }

    void uris()
    {
        QFETCH(QString, place);
        QFETCH(QString, item);
        QFETCH(QString, folder);
        QCOMPARE(DBusFileRevealer::itemUri(place), item);
        QCOMPARE(DBusFileRevealer::folderUrl(place).toString(QUrl::FullyEncoded), folder);
    }

    void fileManagerOrFolder_data()
    {
        QTest::addColumn<int>("fileManager"); // 0 none, 1 answers, 2 refuses
        QTest::newRow("file manager") << 1;
        QTest::newRow("none on the bus") << 0;
        QTest::newRow("the call fails") << 2;
    }

    void fileManagerOrFolder()
    {
        QFETCH(int, fileManager);
        std::unique_ptr<FakeFileManager> manager;
        if (fileManager > 0)
            manager = std::make_unique<FakeFileManager>(fileManager == 2);
        QList<QUrl> opened;
        DBusFileRevealer revealer(QDBusConnection::sessionBus(), [&opened](const QUrl& folder) {
            opened.append(folder);
            return true;
        });
        const QString place = QStringLiteral("/srv/Nächte backup/état.tar");
        revealer.reveal(place);
        if (fileManager == 1) {
            QTRY_COMPARE(manager->shown.size(), 1);
            QCOMPARE(manager->shown.first(), QStringList{DBusFileRevealer::itemUri(place)});
            QTest::qWait(100);
            QVERIFY(opened.isEmpty());
        } else {
            QTRY_COMPARE(opened.size(), 1);
            QCOMPARE(opened.first(), QUrl::fromLocalFile(QStringLiteral("/srv/Nächte backup/")));
            QVERIFY(!manager || manager->shown.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestFileRevealer)
#include "tst_filerevealer.moc"
