#include "engine/ReportWriter.h"

#include <QDateTime>
#include <QTest>
#include <limits>

// The hand-made moments and numbers of the reports against Qt's own, over the years a file time
// takes and every offset a zone has.
class TestReportWriter : public QObject
{
    Q_OBJECT

private slots:
    void writesAsQtDoes_data();
    void writesAsQtDoes();
};

void TestReportWriter::writesAsQtDoes_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<qint64>("number");
    const QList<int> years{1901, 1969, 1970, 1999, 2000, 2038, 2099, 2100, 5000, 9999};
    for (const int year : years) {
        // Every quarter hour from UTC-12 to UTC+14.
        for (int offset = -12 * 3600; offset <= 14 * 3600; offset += 15 * 60) {
            const int k = offset / 900 + 48;
            const QDateTime moment(QDate(year, 1 + k % 12, 1 + k % 28), QTime(k * 7 % 24, k * 13 % 60, k * 29 % 60),
                                   Qt::OffsetFromUTC, offset);
            QTest::addRow("%d %d", year, offset) << moment << moment.toSecsSinceEpoch();
        }
    }
    for (const qint64 number : {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), qint64(-1),
                                qint64(0), qint64(9), qint64(10), qint64(-32768)})
        QTest::addRow("number %lld", number) << QDateTime(QDate(2026, 6, 15), QTime(8, 30), Qt::UTC) << number;
}

void TestReportWriter::writesAsQtDoes()
{
    QFETCH(QDateTime, moment);
    QFETCH(qint64, number);
    ReportWriter out;
    out.addMoment(moment.date(), moment.time(), moment.offsetFromUtc());
    out.add(' ');
    out.addNumber(number);
    // Qt writes no offset of zero as "+00:00" but as "Z".
    QString expected = moment.toString(Qt::ISODate);
    if (expected.endsWith(QLatin1Char('Z')))
        expected = expected.chopped(1) + QStringLiteral("+00:00");
    QCOMPARE(out.take(), expected.toLatin1() + ' ' + QByteArray::number(number));
}

QTEST_GUILESS_MAIN(TestReportWriter)
#include "tst_reportwriter.moc"
