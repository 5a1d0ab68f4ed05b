#include "engine/LeadingNumber.h"

#include <QTest>

class TestLeadingNumber : public QObject
{
    Q_OBJECT

private slots:
    void readsTheLeadingNumber_data();
    void readsTheLeadingNumber();
};

void TestLeadingNumber::readsTheLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "5" << 5;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("no number") << "abc" << 0;
    QTest::newRow("leading blanks and tab") << " \t 12" << 12;
    QTest::newRow("trailing text") << "7 days" << 7;
    QTest::newRow("embedded blank ends it") << "1 2" << 1;
    QTest::newRow("plus sign") << "+9" << 9;
    QTest::newRow("minus one") << "-1" << -1;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("sign then blank") << "- 3" << 0;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("negative half") << "-0.5" << 0;
    QTest::newRow("above half") << "2.51" << 3;
    QTest::newRow("fraction alone") << ".6" << 1;
    QTest::newRow("dot without digits") << "4." << 4;
    QTest::newRow("no exponent") << "1e5" << 1;
    QTest::newRow("comma is not a point") << "2,9" << 2;
    QTest::newRow("top of range") << "32767" << 32767;
    QTest::newRow("rounds past the top") << "32767.5" << 32767;
    QTest::newRow("above range") << "99999999999" << 32767;
    QTest::newRow("below range") << "-99999999999" << -32768;
    QTest::newRow("bottom of range") << "-32768" << -32768;
    QTest::newRow("hundreds of digits") << QString(500, QLatin1Char('9')) << 32767;
    QTest::newRow("leading zeros") << QString(400, QLatin1Char('0')) + "12" << 12;
    QTest::newRow("tiny fraction") << "0." + QString(400, QLatin1Char('0')) + "1" << 0;
    QTest::newRow("non-ASCII digits") << QString::fromUtf8("\u0665") << 0;
}

void TestLeadingNumber::readsTheLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(int(LeadingNumber::toInt16(text)), expected);
}

QTEST_GUILESS_MAIN(TestLeadingNumber)
#include "tst_leadingnumber.moc"
