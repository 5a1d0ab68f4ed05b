#include "engine/PathPieces.h"

#include <QTest>

class TestPathPieces : public QObject
{
    Q_OBJECT

private slots:
    void folderOf_data();
    void folderOf();
};

void TestPathPieces::folderOf_data()
{
    QTest::addColumn<QChar>("native");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");

    const QChar windows(u'\\');
    const QChar unix(u'/');
    QTest::newRow("Windows, own separators") << windows << "C:\\Data\\report.doc"
                                             << "C:\\Data\\";
    QTest::newRow("Windows, Qt's separators") << windows << "C:/Data/report.doc"
                                              << "C:/Data/";
    QTest::newRow("Windows, mixed") << windows << "C:\\Data/sub\\report.doc"
                                    << "C:\\Data/sub\\";
    QTest::newRow("Windows, mixed the other way") << windows << "C:/Data\\sub/report.doc"
                                                  << "C:/Data\\sub/";
    QTest::newRow("Windows, folder itself") << windows << "D:\\Logs\\"
                                            << "D:\\Logs\\";
    QTest::newRow("Windows, no folder") << windows << "report.doc"
                                        << "";
    QTest::newRow("empty") << windows << ""
                           << "";
    QTest::newRow("Unix") << unix << "/data/report.doc"
                          << "/data/";
    QTest::newRow("Unix, backslash in a name") << unix << "/data/a\\b.txt"
                                               << "/data/";
    QTest::newRow("Unix, only backslashes") << unix << "C:\\Data\\report.doc"
                                            << "";
}

void TestPathPieces::folderOf()
{
    QFETCH(QChar, native);
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(PathPieces::folderOf(path, native), folder);
}

QTEST_GUILESS_MAIN(TestPathPieces)
#include "tst_pathpieces.moc"
